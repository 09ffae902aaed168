#include <string>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "FakeSysfs.h"
#include "linux/HidrawSysfs.h"

namespace hidlet = quorvex::lumora::client::corvane::hidlet;

namespace {

hidlet::HidrawInterface describe(const FakeSysfs& tree, const std::string& name)
{
    hidlet::HidrawInterface hidraw;
    EXPECT_TRUE(hidlet::describeHidraw(tree.roots(), name, &hidraw));
    return hidraw;
}

TEST(HidrawSysfsTest, TakesIdentityAndLocationFromTheUsbDeviceAbove)
{
    FakeSysfs tree;
    const FakeSysfs::Usb usb{1, "1.2", 0x0102};
    tree.addHidraw("hidraw3", 7, 0x1234, 0x5678, remoteDescriptor(65, 65, true), &usb);

    const hidlet::HidrawInterface hidraw = describe(tree, "hidraw3");
    EXPECT_EQ(0x1234, hidraw.vendorId);
    EXPECT_EQ(0x5678, hidraw.productId);
    EXPECT_EQ(0x0102, hidraw.version);
    EXPECT_EQ(0x01120000, hidraw.location);
    EXPECT_EQ("17956864", hidraw.devicePath());
    EXPECT_EQ(tree.roots().dev + "/hidraw3", hidraw.devNode);
    EXPECT_NE(std::string::npos, hidraw.key.find("/0003:1234:5678.0007/hidraw/hidraw3"));
    EXPECT_TRUE(hidraw.isRemoteFamily());
    EXPECT_EQ(65, hidraw.inputReportSize());
    EXPECT_EQ(65, hidraw.outputReportSize());
}

TEST(HidrawSysfsTest, WithoutAUsbDeviceAboveTheLocationIsTheDevicesOwn)
{
    FakeSysfs tree;
    tree.addHidraw("hidraw0", 1, 0x1234, 0x5678, remoteDescriptor(64, 64, false));
    tree.addHidraw("hidraw4", 0x1A2B, 0x1234, 0x5678, remoteDescriptor(64, 64, false));
    const FakeSysfs::Usb noBcd{2, "3", -1};
    tree.addHidraw("hidraw1", 2, 0x1234, 0x5678, remoteDescriptor(64, 64, false), &noBcd);
    // Bluetooth remotes reached through a USB adapter: the adapter's bus, port and version are
    // not the remote's.
    FakeSysfs::Usb adapter{1, "4", 0x0100};
    adapter.overBluetooth = true;
    adapter.bluetoothAddress = "a0:b1:c2:d3:e4:f5";
    tree.addHidraw("hidraw2", 3, 0x1234, 0x5678, remoteDescriptor(64, 64, false), &adapter);
    adapter.bluetoothAddress.clear();
    tree.addHidraw("hidraw3", 5, 0x1234, 0x5678, remoteDescriptor(64, 64, false), &adapter);

    // uhid: the HID instance, above every USB location id. Two of them never share a path.
    const hidlet::HidrawInterface uhid = describe(tree, "hidraw0");
    EXPECT_EQ(0x1234, uhid.vendorId);
    EXPECT_EQ(-1, uhid.version);
    EXPECT_EQ(1L << 48 | 1, uhid.location);
    EXPECT_EQ("281474976710657", uhid.devicePath());
    EXPECT_EQ(1L << 48 | 0x1A2B, describe(tree, "hidraw4").location);

    const hidlet::HidrawInterface usb = describe(tree, "hidraw1");
    EXPECT_EQ(-1, usb.version);
    EXPECT_EQ(0x02300000, usb.location);

    const hidlet::HidrawInterface bluetooth = describe(tree, "hidraw2");
    EXPECT_EQ(0x1234, bluetooth.vendorId);
    EXPECT_EQ(0x5678, bluetooth.productId);
    EXPECT_EQ(-1, bluetooth.version);
    EXPECT_EQ(2L << 48 | 0xA0B1C2D3E4F5L, bluetooth.location);
    EXPECT_EQ(std::to_string(2L << 48 | 0xA0B1C2D3E4F5L), bluetooth.devicePath());
    EXPECT_EQ(1L << 48 | 5, describe(tree, "hidraw3").location);   // no address: its instance
}

TEST(HidrawSysfsTest, LocationWithoutUsbComesFromTheAddressOrTheInstance)
{
    const struct { const char* hidDevice; const char* uniq; long location; } cases[] = {
        {"0003:1234:5678.0001", "", 1L << 48 | 1},
        {"0018:1234:5678.FFFFFFFF", "", 1L << 48 | 0xFFFFFFFFL},            // I2C, the widest instance
        {"0003:1234:5678.0002", "a0:b1:c2:d3:e4:f5", 1L << 48 | 2},         // an address, but not Bluetooth
        {"0005:1234:5678.0003", "A0:B1:C2:D3:E4:F5", 2L << 48 | 0xA0B1C2D3E4F5L},
        {"0005:1234:5678.0003", "ff:ff:ff:ff:ff:ff", 2L << 48 | 0xFFFFFFFFFFFFL},
        {"0005:1234:5678.0004", "a0:b1:c2:d3:e4", 1L << 48 | 4},            // no address: the instance
        {"0005:1234:5678.0004", "a0-b1-c2-d3-e4-f5", 1L << 48 | 4},
        {"0005:1234:5678.0004", "g0:b1:c2:d3:e4:f5", 1L << 48 | 4},
        {"0003:1234:5678.100000000", "", -1},                               // wider than 32 bits
        {"0003:1234:5678", "", -1},
        {"uhid", "", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.location, hidlet::nonUsbLocationId(c.hidDevice, c.uniq)) << c.hidDevice << " " << c.uniq;
        if (c.location >= 0) {
            EXPECT_GT(c.location, 0xFFFFFFFFL);   // where no USB location id can be
        }
    }
}

TEST(HidrawSysfsTest, ReportSizesFallBackWhenTheDescriptorDoesNotTell)
{
    FakeSysfs tree;
    tree.addHidraw("hidraw0", 1, 0x1234, 0x5678, {});
    std::vector<unsigned char> cutShort = remoteDescriptor(32, 32, false);
    cutShort.resize(cutShort.size() - 3);
    tree.addHidraw("hidraw1", 2, 0x1234, 0x5678, cutShort);

    const hidlet::HidrawInterface missing = describe(tree, "hidraw0");
    EXPECT_FALSE(missing.descriptorRead);
    EXPECT_FALSE(missing.isRemoteFamily());
    EXPECT_EQ(64, missing.inputReportSize());

    const hidlet::HidrawInterface truncated = describe(tree, "hidraw1");
    EXPECT_TRUE(truncated.isRemoteFamily());
    EXPECT_EQ(64, truncated.inputReportSize());
    EXPECT_EQ(64, truncated.outputReportSize());
}

TEST(HidrawSysfsTest, ListsHidrawDevicesInNameOrderAndForgetsRemovedOnes)
{
    FakeSysfs tree;
    tree.addHidraw("hidraw2", 1, 1, 1, keyboardDescriptor());
    tree.addHidraw("hidraw0", 2, 1, 1, keyboardDescriptor());
    EXPECT_EQ((std::vector<std::string>{"hidraw0", "hidraw2"}), hidlet::listHidrawNames(tree.roots()));

    tree.removeHidraw("hidraw2");
    hidlet::HidrawInterface gone;
    EXPECT_FALSE(hidlet::describeHidraw(tree.roots(), "hidraw2", &gone));
    EXPECT_EQ(std::vector<std::string>{"hidraw0"}, hidlet::listHidrawNames(tree.roots()));

    hidlet::LinuxRoots nowhere;
    nowhere.sysfs = "/nonexistent-sysfs";
    EXPECT_TRUE(hidlet::listHidrawNames(nowhere).empty());
}

// A listed link's number stands for the device only where the tree is sysfs; a fabricated tree
// (whose file system may give a removed link's number to the next one) is never taken for it.
TEST(HidrawSysfsTest, ListedEntriesCarryTheirLinksInodeAndSayWhetherTheTreeIsSysfs)
{
    FakeSysfs tree;
    tree.addHidraw("hidraw1", 1, 1, 1, keyboardDescriptor());
    const hidlet::HidrawListing listing = hidlet::listHidrawEntries(tree.roots());
    ASSERT_EQ(1u, listing.entries.size());
    EXPECT_EQ("hidraw1", listing.entries[0].name);
    struct stat link;
    ASSERT_EQ(0, lstat((tree.roots().sysfs + "/class/hidraw/hidraw1").c_str(), &link));
    EXPECT_EQ(static_cast<unsigned long>(link.st_ino), listing.entries[0].linkInode);
    EXPECT_FALSE(listing.onSysfs);

    hidlet::LinuxRoots machine;
    struct stat classFolder;
    if (stat((machine.sysfs + "/class/hidraw").c_str(), &classFolder) == 0) {
        EXPECT_TRUE(hidlet::listHidrawEntries(machine).onSysfs);
    }
}

TEST(HidrawSysfsTest, NormalisedPathFoldsDotsAndSlashesAsLexicallyNormalDoes)
{
    struct Case
    {
        const char* path;
        const char* normalised;
    };
    const Case cases[] = {
        {"/sys/class/hidraw/../../devices/virtual/misc/uhid/0003:1234:5678.000B/hidraw/hidraw10",
         "/sys/devices/virtual/misc/uhid/0003:1234:5678.000B/hidraw/hidraw10"},
        {"/tmp/t/sys/class/hidraw/../../devices/pci0000:00/usb1/1-2/1-2:1.0/0003:1234:5678.0007/hidraw/hidraw3",
         "/tmp/t/sys/devices/pci0000:00/usb1/1-2/1-2:1.0/0003:1234:5678.0007/hidraw/hidraw3"},
        {"/a//b/./c/", "/a/b/c"},
        {"/a/b/../../../c", "/c"},          // above the root stays at the root
        {"/", "/"},
        {"sys/../../x", "../x"},            // a relative start keeps what climbs above it
        {"./a/..", "."},
        {"a/./b/../c", "a/c"},
        {"/a/..b/.c", "/a/..b/.c"},         // names that only begin with dots are names
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.normalised, hidlet::normalisedPath(c.path)) << c.path;
}

TEST(HidrawSysfsTest, LocationIdPacksBusAndPortChain)
{
    struct Case
    {
        long bus;
        const char* ports;
        long location;
    };
    const Case cases[] = {
        {1, "1.2", 0x01120000L},
        {3, "1.4.2", 0x03142000L},
        {2, "0", 0x02000000L},                  // a root hub
        {1, "1.2.3.4.5.6", 0x01123456L},
        {1, "1.2.3.4.5.6.7", 0x01123456L},      // deeper than six ports: the rest does not fit
        {0x81, "9", 0x81900000L},               // bus numbers of 128 and up stay positive
        {-1, "1", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.location, hidlet::usbLocationId(c.bus, c.ports)) << c.bus << " " << c.ports;
}

} // namespace
