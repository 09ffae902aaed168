// usb-remote on the test VM's USB stack: the gadgets it made go when it ends, also when it is
// killed and cannot clean up itself, and a run removes those left by a run that is gone; a
// gadget left behind would hold a controller and one of the HID function's four device numbers.
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "RemoteProcess.h"

namespace {

const char kGadgets[] = "/sys/kernel/config/usb_gadget";

std::vector<std::string> gadgets()
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(kGadgets)) {
        while (const dirent* entry = ::readdir(dir)) {
            if (entry->d_name[0] != '.')
                names.push_back(entry->d_name);
        }
        ::closedir(dir);
    }
    return names;
}

// Waits up to ten seconds for the gadget folder to be empty.
bool noGadgetsLeft()
{
    for (int i = 0; i < 200 && !gadgets().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return gadgets().empty();
}

class UsbRemoteVm : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(RemoteProcess::available(RemoteKind::Usb)) << "needs USB remotes: run inside the test VM (tools/hidvm)";
        ASSERT_TRUE(gadgets().empty());
    }
};

TEST_F(UsbRemoteVm, ItsGadgetsGoWhenItIsKilled)
{
    RemoteProcess remote(RemoteKind::Usb, "id=killed", false, {"killed"}, true);
    ASSERT_TRUE(remote.ready());
    EXPECT_EQ(1u, gadgets().size());
    remote.kill();
    EXPECT_TRUE(noGadgetsLeft());
    EXPECT_TRUE(RemoteProcess::waitFor("killed", false, 20000)) << "the remote stayed plugged in";
}

TEST_F(UsbRemoteVm, ARunRemovesTheGadgetsOfARunThatIsGone)
{
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ASSERT_GT(gone, 0);
    ::waitpid(gone, nullptr, 0);
    const std::string leftover = std::string(kGadgets) + "/usb-remote." + std::to_string(gone) + ".0";
    ASSERT_EQ(0, ::mkdir(leftover.c_str(), 0755));
    ASSERT_EQ(0, ::mkdir((leftover + "/strings/0x409").c_str(), 0755));

    {
        RemoteProcess remote(RemoteKind::Usb, "id=next", false, {"next"}, true);
        ASSERT_TRUE(remote.ready());
        EXPECT_EQ(1u, gadgets().size());
        EXPECT_NE(0, ::access(leftover.c_str(), F_OK)) << "the leftover is still there";
    }
    EXPECT_TRUE(noGadgetsLeft());
}

} // namespace
