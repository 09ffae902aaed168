// libHidlet's token API over the Linux backend, on the kernel's own HID stack: against uhid remotes,
// and where the USB stack makes a difference against USB remotes (a USB HID gadget on a dummy_hcd
// controller, enumerated and driven by usbhid). Each case runs with remotes whose reports are
// numbered (report id 1) and unnumbered.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <fstream>

#include <gtest/gtest.h>
#include <unistd.h>

#include "RemoteProcess.h"
#include "hidlet/Hidlets.h"

namespace hidlet = quorvex::lumora::client::corvane::hidlet;

namespace {

typedef std::chrono::steady_clock Clock;

const long kVendor = 0x1234;
const long kProduct = 0x5678;
const long kSuccess = 0;
const long kReadFailed = 102;
const long kWriteFailed = 106;
// How long a remote may take to go or come (a USB one is enumerated first).
const int kPlugTimeoutMs = 20000;

std::vector<long> listDevices()
{
    long* tokens = nullptr;
    int count = 0;
    hidlet::GetCandidateHidletTokens(&tokens, &count);
    std::vector<long> result(tokens, tokens + count);
    delete[] tokens;
    return result;
}

long elapsedMs(Clock::time_point since)
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

// One listed remote, attached with its pipe opened; detached again at the end.
struct OpenRemote
{
    long device = 0;
    long pipe = 0;

    explicit OpenRemote(long deviceToken) : device(deviceToken)
    {
        hidlet::AttachDevice(device);
        long* pipes = nullptr;
        int count = 0;
        hidlet::GetCandidateIoPipeTokens(device, &pipes, &count);
        if (count == 1)
            pipe = pipes[0];
        delete[] pipes;
        hidlet::AttachChannel(device, pipe);
    }
    ~OpenRemote()
    {
        hidlet::CloseChannel(pipe);
        hidlet::DetachChannel(pipe);
        hidlet::DetachDevice(device);
    }
    long inputSize() const { return hidlet::GetInputPacketSize(pipe); }
    long outputSize() const { return hidlet::GetOutputPacketSize(pipe); }
};

// The USB location id of a remote on a dummy_hcd port, from the bus number and port chain of the
// USB device above its hidraw device: a dummy_hcd bus has one port, so the chain is "1".
long usbLocationOf(const std::string& hidraw)
{
    const std::string usbDevice = "/sys/class/hidraw/" + hidraw + "/device/../../";
    long bus = -1;
    std::string chain;
    std::ifstream(usbDevice + "busnum") >> bus;
    std::ifstream(usbDevice + "devpath") >> chain;
    return chain == "1" && bus > 0 ? (bus << 24) | (1L << 20) : -1;
}

class HidrawVmTest : public ::testing::TestWithParam<RemoteVariant>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(RemoteProcess::available(kind())) << "needs " << RemoteProcess::name(kind())
                                                      << " remotes: run inside the test VM (tools/hidvm)";
        hidlet::ClearHidlets();
        hidlet::AddHidlet(kVendor, kProduct);
    }

    RemoteKind kind() const { return GetParam().kind; }
    bool usb() const { return kind() == RemoteKind::Usb; }
    bool numbered() const { return GetParam().numbered; }

    // Plugs the remotes of the description, waits for the one with that id, which must be the one
    // candidate listed, attaches it and opens its pipe.
    void plugAndOpen(const std::string& description, const std::string& id)
    {
        m_process.reset(new RemoteProcess(kind(), description, numbered(), {id}));
        ASSERT_TRUE(m_process->ready());
        const std::vector<long> devices = listDevices();
        ASSERT_EQ(1u, devices.size());
        m_remote.reset(new OpenRemote(devices[0]));
        ASSERT_TRUE(hidlet::OpenChannel(m_remote->pipe));
    }

    OpenRemote& opened() { return *m_remote; }

    // An output report of the pipe's size; with numbered reports its first byte is the report id.
    std::vector<unsigned char> pattern(long size, unsigned char seed) const
    {
        std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<unsigned char>(seed + i * 7);
        if (numbered())
            bytes[0] = 1;
        return bytes;
    }

private:
    // The remote is detached before its process ends.
    std::unique_ptr<RemoteProcess> m_process;
    std::unique_ptr<OpenRemote> m_remote;
};

// Cases that run on uhid remotes only: what they test does not depend on the bus.
class UhidVmTest : public HidrawVmTest
{
};

TEST_P(HidrawVmTest, ListsOnlySupportedRemotesWithTheirIdentityAndKeepsTheirTokens)
{
    RemoteProcess remotes(kind(), std::string("id=wanted,in=32,out=16") + (usb() ? ",version=0x0213" : "") +
                                      "; id=other,pid=0x9999",
                          numbered(), {"wanted", "other"});
    ASSERT_TRUE(remotes.ready());

    const std::vector<long> first = listDevices();
    ASSERT_EQ(1u, first.size());
    EXPECT_EQ(first, listDevices());
    OpenRemote remote(first[0]);
    EXPECT_EQ(kVendor, hidlet::GetVendorId(remote.device));
    EXPECT_EQ(kProduct, hidlet::GetProductId(remote.device));
    const std::string path = hidlet::GetHidletPath(remote.device);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(std::string::npos, path.find_first_not_of("0123456789")) << path;
    if (usb()) {
        // The version is the USB device's bcdDevice, the location that of the port it is plugged
        // into: bus number and port chain.
        EXPECT_EQ(0x0213, hidlet::GetVersionNumber(remote.device));
        const long location = usbLocationOf(RemoteProcess::hidrawOf("wanted"));
        EXPECT_NE(-1, location);
        EXPECT_EQ(std::to_string(location), path);
    } else {
        // A uhid device has no USB device above it: no version, and a location of its own from its
        // HID instance, above the 32 bits of USB location ids.
        EXPECT_EQ(-1, hidlet::GetVersionNumber(remote.device));
        EXPECT_EQ(1LL << 48, std::stoll(path) & ~0xFFFFFFFFLL) << path;
    }
    EXPECT_EQ(32, remote.inputSize());
    EXPECT_EQ(16, remote.outputSize());
    EXPECT_TRUE(hidlet::OpenChannel(remote.pipe));
}

TEST_P(HidrawVmTest, ReportsCrossTheKernelByteExactBothWays)
{
    ASSERT_NO_FATAL_FAILURE(plugAndOpen("id=echo,reply=echo,in=64,out=64", "echo"));
    OpenRemote& remote = opened();

    for (unsigned char seed : {0x00, 0x5A, 0xFF}) {
        std::vector<unsigned char> sent = pattern(remote.outputSize(), seed);
        std::vector<unsigned char> got(static_cast<std::size_t>(remote.inputSize()), 0xCC);
        ASSERT_EQ(kSuccess, hidlet::Write(remote.pipe, sent.data(), static_cast<long>(sent.size())));
        ASSERT_EQ(kSuccess, hidlet::Read(remote.pipe, got.data(), static_cast<long>(got.size()), 1000));
        EXPECT_EQ(sent, got) << "seed " << int(seed);
    }
}

TEST_P(HidrawVmTest, ReadsEveryReportOfAMultiReportAnswerInOrder)
{
    ASSERT_NO_FATAL_FAILURE(plugAndOpen("id=many,reply=5,end=FFEE,rate=1", "many"));
    OpenRemote& remote = opened();

    std::vector<unsigned char> request = pattern(remote.outputSize(), 0x10);
    ASSERT_FALSE(request.empty());
    ASSERT_EQ(kSuccess, hidlet::Write(remote.pipe, request.data(), static_cast<long>(request.size())));
    std::vector<unsigned char> report(static_cast<std::size_t>(remote.inputSize()));
    for (int k = 0; k < 5; ++k) {
        ASSERT_EQ(kSuccess, hidlet::Read(remote.pipe, report.data(), static_cast<long>(report.size()), 1000)) << k;
        std::vector<unsigned char> expected = request;
        expected.back() = static_cast<unsigned char>(k);
        EXPECT_EQ(expected, report) << "report " << k;
    }
    ASSERT_EQ(kSuccess, hidlet::Read(remote.pipe, report.data(), static_cast<long>(report.size()), 1000));
    std::vector<unsigned char> end(report.size(), 0);
    end[0] = numbered() ? 0x01 : 0xFF;   // a numbered report starts with its id
    end[1] = 0xEE;
    EXPECT_EQ(end, report);
}

TEST_P(UhidVmTest, AReadOfASilentRemoteFailsOnceItsTimeOutHasPassed)
{
    ASSERT_NO_FATAL_FAILURE(plugAndOpen("id=quiet,reply=silent", "quiet"));
    OpenRemote& remote = opened();

    std::vector<unsigned char> buffer(static_cast<std::size_t>(remote.inputSize()));
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(kReadFailed, hidlet::Read(remote.pipe, buffer.data(), static_cast<long>(buffer.size()), 100));
    // The wait is bounded by ((100 / 10) + 2) * 10 ms; it ends neither before nor far after (the
    // upper bound leaves room for an emulated CPU on a busy machine).
    const long waited = elapsedMs(start);
    EXPECT_GE(waited, 120);
    EXPECT_LT(waited, 3000);
}

TEST_P(HidrawVmTest, RemovalEndsAWaitingReadAndTheNextListingDropsTheRemote)
{
    ASSERT_NO_FATAL_FAILURE(plugAndOpen("id=leaving,vanish=0", "leaving"));
    OpenRemote& remote = opened();

    std::vector<unsigned char> buffer(static_cast<std::size_t>(remote.inputSize()));
    std::atomic<bool> reading{false};
    Clock::time_point start;
    std::future<long> read = std::async(std::launch::async, [&] {
        reading = true;
        return hidlet::Read(remote.pipe, buffer.data(), static_cast<long>(buffer.size()), 20000);
    });
    while (!reading)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    start = Clock::now();
    // The remote disappears at its first output report.
    std::vector<unsigned char> request = pattern(remote.outputSize(), 1);
    hidlet::Write(remote.pipe, request.data(), static_cast<long>(request.size()));

    EXPECT_EQ(kReadFailed, read.get());
    const long tookMs = elapsedMs(start);
    EXPECT_LT(tookMs, 10000) << "the read waited for its time-out instead of failing at once";
    std::printf("the waiting read failed %ld ms after the request that removed the remote\n", tookMs);
    ASSERT_TRUE(RemoteProcess::waitFor("leaving", false, kPlugTimeoutMs));
    EXPECT_EQ(kWriteFailed, hidlet::Write(remote.pipe, request.data(), static_cast<long>(request.size())));
    EXPECT_EQ(kReadFailed, hidlet::Read(remote.pipe, buffer.data(), static_cast<long>(buffer.size()), 0));
    EXPECT_FALSE(hidlet::OpenChannel(remote.pipe));
    EXPECT_TRUE(listDevices().empty());
    // The token layer still knows the remote until it is detached.
    EXPECT_EQ(kVendor, hidlet::GetVendorId(remote.device));
}

TEST_P(UhidVmTest, CloseFromAnotherThreadEndsAWaitingReadAndThePipeOpensAgain)
{
    ASSERT_NO_FATAL_FAILURE(plugAndOpen("id=echo,reply=echo", "echo"));
    OpenRemote& remote = opened();

    std::vector<unsigned char> buffer(static_cast<std::size_t>(remote.inputSize()));
    std::atomic<bool> reading{false};
    std::future<long> read = std::async(std::launch::async, [&] {
        reading = true;
        return hidlet::Read(remote.pipe, buffer.data(), static_cast<long>(buffer.size()), 20000);
    });
    while (!reading)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const Clock::time_point start = Clock::now();
    hidlet::CloseChannel(remote.pipe);
    EXPECT_EQ(kReadFailed, read.get());
    EXPECT_LT(elapsedMs(start), 10000) << "close() did not wake the waiting read";

    ASSERT_TRUE(hidlet::OpenChannel(remote.pipe));
    std::vector<unsigned char> sent = pattern(remote.outputSize(), 0x33);
    ASSERT_EQ(kSuccess, hidlet::Write(remote.pipe, sent.data(), static_cast<long>(sent.size())));
    ASSERT_EQ(kSuccess, hidlet::Read(remote.pipe, buffer.data(), static_cast<long>(buffer.size()), 1000));
    EXPECT_EQ(sent, buffer);
}

TEST_P(HidrawVmTest, ARemotePluggedAgainIsANewDeviceAndItsOldPipeStaysClosed)
{
    RemoteProcess remotes(kind(), "id=bouncy,vanish=0,replug=100", numbered(), {"bouncy"});
    ASSERT_TRUE(remotes.ready());
    const std::vector<long> before = listDevices();
    ASSERT_EQ(1u, before.size());
    OpenRemote old(before[0]);
    ASSERT_TRUE(hidlet::OpenChannel(old.pipe));
    std::vector<unsigned char> request = pattern(old.outputSize(), 2);
    hidlet::Write(old.pipe, request.data(), static_cast<long>(request.size()));
    ASSERT_TRUE(RemoteProcess::waitFor("bouncy", false, kPlugTimeoutMs));
    ASSERT_TRUE(RemoteProcess::waitFor("bouncy", true, kPlugTimeoutMs));

    const std::vector<long> after = listDevices();
    ASSERT_EQ(1u, after.size());
    // The old device object is still attached, so the new one cannot share its token.
    EXPECT_NE(before[0], after[0]);
    // The old pipe must not open the newcomer that may have taken its hidrawN.
    EXPECT_FALSE(hidlet::OpenChannel(old.pipe));
    OpenRemote fresh(after[0]);
    EXPECT_TRUE(hidlet::OpenChannel(fresh.pipe));
    // A USB remote plugged into the same port again has the same device path: only the device
    // object tells the newcomer from the one that went.
    if (usb()) {
        EXPECT_EQ(hidlet::GetHidletPath(old.device), hidlet::GetHidletPath(fresh.device));
    }
}

// The kernel gives a removed device's hidrawN to the next device plugged in. The newcomer must
// be listed as itself (its own report sizes, and on uhid its own path), never as the device listed
// before under that name. A USB newcomer on the same port has the same path as the one before.
TEST_P(HidrawVmTest, ANewcomerUnderARemovedRemotesNameIsListedAsItself)
{
    std::string name, oldPath;
    {
        RemoteProcess before(kind(), "id=before,in=32,out=32", numbered(), {"before"});
        ASSERT_TRUE(before.ready());
        name = RemoteProcess::hidrawOf("before");
        const std::vector<long> listed = listDevices();
        ASSERT_EQ(1u, listed.size());
        OpenRemote remote(listed[0]);
        oldPath = hidlet::GetHidletPath(remote.device);
        EXPECT_EQ(32, remote.inputSize());
    }
    // Not listed in between: the next listing meets the newcomer where it listed the other one.
    RemoteProcess after(kind(), "id=after,in=16,out=8", numbered(), {"after"});
    ASSERT_TRUE(after.ready());
    ASSERT_EQ(name, RemoteProcess::hidrawOf("after")) << "the newcomer did not take the removed remote's name";
    const std::vector<long> listed = listDevices();
    ASSERT_EQ(1u, listed.size());
    OpenRemote remote(listed[0]);
    if (usb()) {
        EXPECT_EQ(oldPath, hidlet::GetHidletPath(remote.device));
    } else {
        EXPECT_NE(oldPath, hidlet::GetHidletPath(remote.device));
    }
    EXPECT_EQ(16, remote.inputSize());
    EXPECT_EQ(8, remote.outputSize());
    EXPECT_TRUE(hidlet::OpenChannel(remote.pipe));
}

std::string variantTestName(const ::testing::TestParamInfo<RemoteVariant>& info) { return variantName(info.param); }

INSTANTIATE_TEST_SUITE_P(Remotes, HidrawVmTest, ::testing::ValuesIn(remoteVariants()), variantTestName);
INSTANTIATE_TEST_SUITE_P(Remotes, UhidVmTest, ::testing::ValuesIn(remoteVariants(RemoteKind::Uhid)), variantTestName);

} // namespace
