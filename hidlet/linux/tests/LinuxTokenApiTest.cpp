// The shared library picks the Linux backend when no simulation is asked for, and takes its roots
// from HIDLET_SYSFS_ROOT and HIDLET_DEV_ROOT (set by the test registration to FAKE_TREE_DIR).
#include <string>

#include <gtest/gtest.h>

#include "FakeSysfs.h"
#include "hidlet/Hidlets.h"

namespace hidlet = quorvex::lumora::client::corvane::hidlet;

namespace {

TEST(LinuxTokenApiTest, ListsAFabricatedRemoteThroughTheTokenApi)
{
    FakeSysfs tree(FAKE_TREE_DIR);
    const FakeSysfs::Usb usb{1, "2", 0x0107};
    tree.addHidraw("hidraw0", 1, 0x1234, 0x5678, remoteDescriptor(65, 65, true), &usb);
    tree.addHidraw("hidraw1", 2, 0x1234, 0x5678, keyboardDescriptor(), &usb);
    hidlet::AddHidlet(0x1234, 0x5678);

    long* tokens = nullptr;
    int count = 0;
    hidlet::GetCandidateHidletTokens(&tokens, &count);
    ASSERT_EQ(1, count);
    const long device = tokens[0];
    delete[] tokens;
    hidlet::AttachDevice(device);
    EXPECT_EQ(0x0107, hidlet::GetVersionNumber(device));
    EXPECT_EQ(std::to_string(0x01200000), hidlet::GetHidletPath(device));

    long* pipes = nullptr;
    int pipeCount = 0;
    hidlet::GetCandidateIoPipeTokens(device, &pipes, &pipeCount);
    ASSERT_EQ(1, pipeCount);
    const long pipe = pipes[0];
    delete[] pipes;
    hidlet::AttachChannel(device, pipe);
    EXPECT_EQ(65, hidlet::GetInputPacketSize(pipe));
    EXPECT_EQ(65, hidlet::GetOutputPacketSize(pipe));

    // Not a character device: the channel does not open and transfers fail.
    EXPECT_FALSE(hidlet::OpenChannel(pipe));
    unsigned char packet[65] = {1};
    EXPECT_EQ(102, hidlet::Read(pipe, packet, sizeof packet, 0));
    EXPECT_EQ(106, hidlet::Write(pipe, packet, sizeof packet));

    hidlet::DetachChannel(pipe);
    hidlet::DetachDevice(device);
}

} // namespace
