// Inside the engine: the worker-side answers of a remote and the registry's bookkeeping, over
// simulated remotes.
#include "CUsbHidRemote.h"
#include "CUsbHidRemoteManager.h"

#include <gtest/gtest.h>

#include "SimConfigFile.h"
#include "hidlet/Hidlets.h"
#include "src/HidletState.h"

using namespace quorvex::lumora::client::corvane::superstupiddummyengine;
namespace usb = quorvex::lumora::client::corvane::hidlet;

namespace {

class Remote : public ::testing::Test
{
protected:
    void SetUp() override
    {
        usb::AddHidlet(0x1234, 0x5678);
        writeSimConfig(SIM_CONFIG_FILE, "id=a");
        manager.updateRemotes(remotes);
        ASSERT_EQ(1u, remotes.size());
        remote = remotes.front();
    }

    void TearDown() override
    {
        for (IRemote* r : remotes)
            r->release();
        writeSimConfig(SIM_CONFIG_FILE, "");
        std::list<IRemote*> none;
        manager.updateRemotes(none);
        usb::ClearHidlets();
    }

    int queue(const char* request, int packets, const char* end, long timeout, std::string* answer = nullptr)
    {
        char* response = nullptr;
        const int rc = remote->queueCommand(request, packets, response, timeout, end);
        if (answer)
            *answer = response;
        delete[] response;
        return rc;
    }

    CUsbHidRemoteManager manager;
    std::list<IRemote*> remotes;
    IRemote* remote = nullptr;
};

TEST_F(Remote, WorkerFindsNothingToRunWithoutANewCommand)
{
    EXPECT_EQ(203, remote->executeCommand());
    EXPECT_EQ(-2, queue("00", 0, "", 1000));
    EXPECT_TRUE(remote->isBusy());
    EXPECT_EQ(0, remote->executeCommand());
    EXPECT_FALSE(remote->isBusy());   // a final result is not busy
    EXPECT_EQ(204, remote->executeCommand());   // a second run leaves the command untouched
    std::string answer;
    EXPECT_EQ(0, queue("", 0, "", 0, &answer));
    EXPECT_EQ("", answer);
    EXPECT_EQ(203, remote->executeCommand());
}

TEST_F(Remote, NegativeFinalCodeBecomesAFatalErrorWithItsDetail)
{
    UsbCommand command("", 1, 4, 4, "");
    EXPECT_EQ(400, CUsbHidRemote::finish(command, -1));
    char* text = nullptr;
    command.generateResponse(text);
    EXPECT_STREQ("{{400|Fatal error occurred, system should be refreshed:"
                 "Worker finished processing but the result got messed up!}}", text);
    delete[] text;
    EXPECT_EQ(102, CUsbHidRemote::finish(command, 102));
}

TEST_F(Remote, DisconnectedRemoteStaysDisconnectedWhileItsTokenIsListed)
{
    remote->setConnected(false);
    manager.updateRemotes(remotes);
    ASSERT_EQ(1u, remotes.size());
    EXPECT_FALSE(remotes.front()->isConnected());
    EXPECT_EQ(remote, remotes.front());
}

TEST_F(Remote, VanishedRemoteIsKeptWhileBusyAndReclaimedWhenIdle)
{
    EXPECT_EQ(-2, queue("00", 0, "", 1000));
    writeSimConfig(SIM_CONFIG_FILE, "");
    manager.updateRemotes(remotes);
    ASSERT_EQ(1u, remotes.size());
    EXPECT_FALSE(remote->isConnected());
    remote->executeCommand();
    manager.updateRemotes(remotes);
    EXPECT_TRUE(remotes.empty());
    usb::HidletState& state = usb::hidletState();
    boost::mutex::scoped_lock hold(state.lock);
    EXPECT_TRUE(state.g_UsedHidlets.empty());   // the device was given back to the library
    EXPECT_TRUE(state.g_UsedIoPipes.empty());
}

TEST_F(Remote, SkinIdReadsTheVersionWord)
{
    EXPECT_EQ(35, CUsbHidRemote::parseSkinId(0x0123));
    EXPECT_EQ(234, CUsbHidRemote::parseSkinId(0x1234));
    EXPECT_EQ(0xFF, CUsbHidRemote::parseSkinId(0x0FFF));
}

} // namespace
