// The token layer over a hand-made device manager, to reach what simulated remotes never do:
// pipes that throw, devices without pipes, pipes their device dropped.
#include "hidlet/Hidlets.h"

#include <gtest/gtest.h>

#include <logging>
#include <stdexcept>

#include "src/HidletState.h"

namespace h = quorvex::lumora::client::corvane::hidlet;

namespace {

enum class Fault { none, standard, other };

void raise(Fault fault)
{
    if (fault == Fault::standard)
        throw std::runtime_error("device fault");
    if (fault == Fault::other)
        throw 7;
}

struct FakePipe : h::AIoPipe
{
    Fault onOpen = Fault::none, onClose = Fault::none, onRead = Fault::none, onWrite = Fault::none,
          onQuery = Fault::none;

    bool initialize() override { raise(onOpen); return true; }
    long getInputReportSize() const override { return 4; }
    long getOutputReportSize() const override { return 4; }
    bool readMultiplePackets(const std::vector<unsigned char*>& packets, long* count, long) override
    {
        raise(onRead);
        for (unsigned char* p : packets)
            std::fill(p, p + 4, 0x5A);
        *count = static_cast<long>(packets.size());
        return true;
    }
    bool writeMultiplePackets(const std::vector<unsigned char*>&) override { raise(onWrite); return true; }
    void close() override { raise(onClose); }
    bool isOpen() override { raise(onQuery); return true; }
    long discardInput() override { raise(onQuery); return 2; }
};

struct FakeHidlet : h::AHidlet
{
    std::vector<boost::shared_ptr<h::AIoPipe> > pipes;

    void getIoPipes(std::vector<boost::shared_ptr<h::AIoPipe> >& out) override { out.insert(out.end(), pipes.begin(), pipes.end()); }
    boost::shared_ptr<h::AIoPipe> getIoPipe(h::AIoPipe* p) override
    {
        for (auto& pipe : pipes)
            if (pipe.get() == p)
                return pipe;
        return boost::shared_ptr<h::AIoPipe>();
    }
    void removeIoPipe(h::AIoPipe*) override {}
    void removeAllIoPipes() override { pipes.clear(); }
    long getVendorID() override { return 1; }
    long getProductID() override { return 2; }
    long getVersionNumber() override { return 3; }
    std::string getDeviceID() override { return ""; }
    std::string getDevicePath() override { return "-1"; }
};

struct FakeManager : h::AHidletManager
{
    std::vector<boost::shared_ptr<h::AHidlet> > held;

    void getHidlets(std::vector<boost::shared_ptr<h::AHidlet> >& out) override { out.insert(out.end(), held.begin(), held.end()); }
    void updateHidlets() override {}
    boost::shared_ptr<h::AHidlet> getHidlet(h::AHidlet* p) override
    {
        for (auto& d : held)
            if (d.get() == p)
                return d;
        return boost::shared_ptr<h::AHidlet>();
    }
    void removeHidlet(h::AHidlet* p) override
    {
        for (auto it = held.begin(); it != held.end(); ++it)
            if (it->get() == p) {
                held.erase(it);
                return;
            }
    }
};

class TokenLayer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_manager = new FakeManager;
        m_device.reset(new FakeHidlet);
        m_pipe.reset(new FakePipe);
        m_device->pipes.push_back(m_pipe);
        m_manager->held.push_back(m_device);
        install(m_manager);
        m_deviceToken = reinterpret_cast<long>(m_device.get());
        m_pipeToken = reinterpret_cast<long>(m_pipe.get());
        h::AttachDevice(m_deviceToken);
        h::AttachChannel(m_deviceToken, m_pipeToken);
    }

    void TearDown() override
    {
        h::DetachChannel(m_pipeToken);
        h::DetachDevice(m_deviceToken);
        install(nullptr);
    }

    static void install(h::AHidletManager* manager)
    {
        h::HidletState& state = h::hidletState();
        boost::mutex::scoped_lock hold(state.lock);
        delete state.g_pManager;
        state.g_pManager = manager;
    }

    FakeManager* m_manager = nullptr;
    boost::shared_ptr<FakeHidlet> m_device;
    boost::shared_ptr<FakePipe> m_pipe;
    long m_deviceToken = 0;
    long m_pipeToken = 0;
};

TEST_F(TokenLayer, ExceptionsFromAPipeBecomeCodesOrFalse)
{
    unsigned char buffer[4];
    EXPECT_TRUE(h::IsChannelOpen(m_pipeToken));
    EXPECT_EQ(2, h::DiscardInput(m_pipeToken));
    for (Fault fault : {Fault::standard, Fault::other}) {
        m_pipe->onRead = fault;
        m_pipe->onWrite = fault;
        m_pipe->onQuery = fault;
        EXPECT_EQ(101, h::Read(m_pipeToken, buffer, 4, 0));
        EXPECT_EQ(105, h::Write(m_pipeToken, buffer, 4));
        EXPECT_FALSE(h::IsChannelOpen(m_pipeToken));   // a pipe that cannot tell is no use
        EXPECT_EQ(0, h::DiscardInput(m_pipeToken));
    }
    m_pipe->onOpen = Fault::standard;
    m_pipe->onClose = Fault::standard;
    EXPECT_FALSE(h::OpenChannel(m_pipeToken));
    EXPECT_NO_THROW(h::CloseChannel(m_pipeToken));
    // Anything that is not a standard exception is the caller's to see.
    m_pipe->onOpen = Fault::other;
    m_pipe->onClose = Fault::other;
    EXPECT_THROW(h::OpenChannel(m_pipeToken), int);
    EXPECT_THROW(h::CloseChannel(m_pipeToken), int);
}

TEST_F(TokenLayer, FailedWriteLogsOneEntryOnlyWhenLoggingIsOn)
{
    namespace bl = boost::logging;
    boost::shared_ptr<std::ostringstream> text(new std::ostringstream);
    bl::sink sink(text, 5);
    sink.attach_qualifier(bl::log);
    bl::format format;
    format.add(bl::function_name).add(bl::trace).add(bl::eol);
    boost::shared_ptr<bl::logger> logger = bl::logger::get_instance();
    logger->add_sink(sink, format);

    unsigned char buffer[4] = {0};
    m_pipe->onWrite = Fault::standard;
    EXPECT_EQ(105, h::Write(m_pipeToken, buffer, 4));
    EXPECT_EQ("", text->str());   // mask 0: silent

    logger->set_mask(2);
    EXPECT_EQ(105, h::Write(m_pipeToken, buffer, 4));
    EXPECT_EQ("WriteERROR(105): USB Unexpected write error\n", text->str());
    logger->set_mask(0);
    logger->remove_all_sinks();
}

TEST_F(TokenLayer, DeviceWithoutPipesStillHandsOutAnArray)
{
    m_device->pipes.clear();
    long* tokens = nullptr;
    int count = -1;
    h::GetCandidateIoPipeTokens(m_deviceToken, &tokens, &count);
    EXPECT_EQ(0, count);
    EXPECT_NE(nullptr, tokens);
    delete[] tokens;
}

TEST_F(TokenLayer, PipeDroppedByItsDeviceWorksUntilDetached)
{
    m_device->removeAllIoPipes();
    unsigned char buffer[4] = {0};
    EXPECT_EQ(0, h::Read(m_pipeToken, buffer, 4, 0));
    EXPECT_EQ(0x5A, buffer[3]);
    h::DetachChannel(m_pipeToken);
    EXPECT_EQ(103, h::Read(m_pipeToken, buffer, 4, 0));
}

TEST_F(TokenLayer, DetachingADeviceMakesTheManagerForgetIt)
{
    h::DetachDevice(m_deviceToken);
    EXPECT_TRUE(m_manager->held.empty());
    EXPECT_TRUE(m_manager->getHidlet(m_device.get()).get() == nullptr);
    EXPECT_EQ(1, m_device.use_count());   // no reference left behind
}

} // namespace
