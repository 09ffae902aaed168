#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "FakeSysfs.h"
#include "linux/CLinuxHidletManager.h"

namespace hidlet = quorvex::lumora::client::corvane::hidlet;

namespace {

typedef boost::shared_ptr<hidlet::AHidlet> Device;
typedef boost::shared_ptr<hidlet::AIoPipe> Pipe;

class CLinuxHidletManagerTest : public ::testing::Test
{
protected:
    CLinuxHidletManagerTest() : manager(tree.roots()) {}

    void SetUp() override { support(0x1234, 0x5678); }
    void TearDown() override { hidlet::AHidlet::s_SupportedUSBType.clear(); }

    static void support(long vendor, long product)
    {
        hidlet::AHidlet::s_SupportedUSBType.push_back(
            boost::shared_ptr<hidlet::UsbType>(new hidlet::UsbType(static_cast<int>(vendor), static_cast<int>(product))));
    }

    std::vector<Device> scan()
    {
        manager.updateHidlets();
        std::vector<Device> devices;
        manager.getHidlets(devices);
        return devices;
    }

    static Pipe onlyPipe(const Device& device)
    {
        std::vector<Pipe> pipes;
        device->getIoPipes(pipes);
        return pipes.size() == 1 ? pipes[0] : Pipe();
    }

    FakeSysfs tree;
    hidlet::CLinuxHidletManager manager;
};

TEST_F(CLinuxHidletManagerTest, HoldsOnlySupportedRemotesOfTheFamily)
{
    tree.addHidraw("hidraw0", 1, 0x1234, 0x5678, remoteDescriptor(64, 64, false));
    tree.addHidraw("hidraw1", 2, 0x1234, 0x9999, remoteDescriptor(64, 64, false));   // another product
    tree.addHidraw("hidraw2", 3, 0x1234, 0x5678, keyboardDescriptor());              // another usage
    tree.addHidraw("hidraw3", 4, 0x1234, 0x5678, {});                                // no descriptor

    std::vector<Device> devices = scan();
    ASSERT_EQ(1u, devices.size());
    EXPECT_EQ(0x5678, devices[0]->getProductID());
    ASSERT_TRUE(onlyPipe(devices[0]));

    // A type supported later is picked up by the next pass; the held device stays the same.
    support(0x1234, 0x9999);
    const Device held = devices[0];
    devices = scan();
    ASSERT_EQ(2u, devices.size());
    EXPECT_EQ(held, devices[0]);
    EXPECT_EQ(0x9999, devices[1]->getProductID());
}

TEST_F(CLinuxHidletManagerTest, KeepsTheSameObjectForTheSameDeviceAndANewOneForAReplug)
{
    tree.addHidraw("hidraw0", 1, 0x1234, 0x5678, remoteDescriptor(64, 64, false));
    const std::vector<Device> first = scan();
    ASSERT_EQ(1u, first.size());
    const Pipe firstPipe = onlyPipe(first[0]);
    EXPECT_EQ(first, scan());
    EXPECT_EQ(firstPipe, onlyPipe(first[0]));

    // Unplugged: the next pass drops it.
    tree.removeHidraw("hidraw0");
    EXPECT_TRUE(scan().empty());
    EXPECT_FALSE(manager.getHidlet(first[0].get()));

    // Plugged again and given the same hidraw0: a new HID instance, so a new device.
    tree.addHidraw("hidraw0", 2, 0x1234, 0x5678, remoteDescriptor(64, 64, false));
    const std::vector<Device> again = scan();
    ASSERT_EQ(1u, again.size());
    EXPECT_NE(first[0], again[0]);
    EXPECT_FALSE(manager.getHidlet(first[0].get()));
    EXPECT_EQ(again[0], manager.getHidlet(again[0].get()));
}

TEST_F(CLinuxHidletManagerTest, ARemovedDeviceIsListedAgainAsANewObject)
{
    tree.addHidraw("hidraw0", 1, 0x1234, 0x5678, remoteDescriptor(64, 64, false));
    const std::vector<Device> first = scan();
    ASSERT_EQ(1u, first.size());
    manager.removeHidlet(first[0].get());
    EXPECT_FALSE(manager.getHidlet(first[0].get()));
    const std::vector<Device> again = scan();
    ASSERT_EQ(1u, again.size());
    EXPECT_NE(first[0], again[0]);
}

TEST_F(CLinuxHidletManagerTest, ADeviceListedAgainKeepsItsDescriptionUntilItsFolderIsNew)
{
    tree.addHidraw("hidraw0", 1, 0x1234, 0x5678, remoteDescriptor(64, 64, false));
    const std::vector<Device> first = scan();
    ASSERT_EQ(1u, first.size());
    const std::string key = hidlet::hidrawKey(tree.roots(), "hidraw0");
    const std::filesystem::path hidDevice = std::filesystem::path(key).parent_path().parent_path();

    // Released and listed again while it stays: what it was found to be still holds, though its
    // descriptor can no longer be read.
    manager.removeHidlet(first[0].get());
    std::filesystem::remove(hidDevice / "report_descriptor");
    const std::vector<Device> again = scan();
    ASSERT_EQ(1u, again.size());
    EXPECT_NE(first[0], again[0]);
    EXPECT_EQ(0x5678, again[0]->getProductID());

    // Unplugged and plugged again under the very same key, now a keyboard: its folder is a new
    // one (the old one is held open, so its inode cannot be reused), and it is read afresh.
    const int oldFolder = ::open(key.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(oldFolder, 0);
    manager.removeHidlet(again[0].get());
    tree.removeHidraw("hidraw0");
    tree.addHidraw("hidraw0", 1, 0x1234, 0x5678, keyboardDescriptor());
    ASSERT_EQ(key, hidlet::hidrawKey(tree.roots(), "hidraw0"));
    EXPECT_TRUE(scan().empty());
    ::close(oldFolder);
}

TEST_F(CLinuxHidletManagerTest, DeviceCarriesIdentityAndItsPipeTheReportSizes)
{
    const FakeSysfs::Usb usb{3, "1.4.2", 0x0200};
    tree.addHidraw("hidraw5", 1, 0x1234, 0x5678, remoteDescriptor(65, 33, true), &usb);
    const std::vector<Device> devices = scan();
    ASSERT_EQ(1u, devices.size());
    EXPECT_EQ(0x1234, devices[0]->getVendorID());
    EXPECT_EQ(0x0200, devices[0]->getVersionNumber());
    EXPECT_EQ(std::to_string(0x03142000L), devices[0]->getDevicePath());
    EXPECT_EQ("", devices[0]->getDeviceID());
    const Pipe pipe = onlyPipe(devices[0]);
    ASSERT_TRUE(pipe);
    EXPECT_EQ(65, pipe->getInputReportSize());
    EXPECT_EQ(33, pipe->getOutputReportSize());
    EXPECT_EQ(pipe, devices[0]->getIoPipe(pipe.get()));
    devices[0]->removeAllIoPipes();
    EXPECT_FALSE(devices[0]->getIoPipe(pipe.get()));
}

TEST_F(CLinuxHidletManagerTest, APipeThatIsNotOpenFailsTransfersAndOpensOnlyItsOwnDevice)
{
    // The fabricated /dev/hidraw0 is a plain file, not the character device the key names.
    tree.addHidraw("hidraw0", 1, 0x1234, 0x5678, remoteDescriptor(8, 8, false));
    const std::vector<Device> devices = scan();
    ASSERT_EQ(1u, devices.size());
    const Pipe pipe = onlyPipe(devices[0]);
    ASSERT_TRUE(pipe);

    EXPECT_FALSE(pipe->initialize());
    unsigned char packet[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    long count = 99;
    EXPECT_FALSE(pipe->readMultiplePackets(std::vector<unsigned char*>{packet}, &count, 0));
    EXPECT_EQ(0, count);
    EXPECT_FALSE(pipe->writeMultiplePackets(std::vector<unsigned char*>{packet}));
    pipe->close();
    EXPECT_FALSE(pipe->writeMultiplePackets(std::vector<unsigned char*>{packet}));
}

} // namespace
