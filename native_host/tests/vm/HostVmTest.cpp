// The host over the Linux backend against a uhid remote and a USB remote (a USB HID gadget on a
// dummy_hcd controller) on the kernel's own HID stack (inside the test VM): the kernel's device
// events bring the list when the remote appears and when it goes, and a command of several
// reports comes back as a pushed answer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "HostProcess.h"
#include "RemoteProcess.h"

namespace {

using native_host_tests::HostProcess;
using nlohmann::json;

// The device id of the first record of a device list.
std::string firstDeviceId(const std::string& devices)
{
    const std::string key = "device_id=";
    const size_t at = devices.find(key);
    return at == std::string::npos ? "" : devices.substr(at + key.size(), devices.find(";;", at) - at - key.size());
}

// The next "devices" event (answer events in between would be a fault of this test's order).
json devicesEvent(HostProcess& host)
{
    const auto event = host.nextEvent(std::chrono::seconds(20));
    return event ? *event : json("no event");
}

class HostVm : public ::testing::TestWithParam<RemoteKind>
{
};

TEST_P(HostVm, AnswersForARemoteAndSeesItComeAndGo)
{
    ASSERT_TRUE(RemoteProcess::available(GetParam())) << "needs " << RemoteProcess::name(GetParam())
                                                      << " remotes: run inside the test VM (tools/hidvm)";
    HostProcess host({"HIDLET_SIM="});
    ASSERT_EQ(host.call("addHidlet", "[4660, 22136]")["result"], json());
    ASSERT_EQ(host.call("getDevices")["result"], "");

    RemoteProcess remote(GetParam(), "id=vmhost, vid=0x1234, pid=0x5678, reply=3, end=FF, rate=5", false, {"vmhost"}, true);
    ASSERT_TRUE(remote.ready());
    const json appeared = devicesEvent(host);
    ASSERT_EQ(appeared.value("event", ""), "devices") << appeared.dump();
    const std::string devices = appeared["devices"].get<std::string>();
    EXPECT_NE(devices.find(";;vendor_id=4660;;product_id=22136;;"), std::string::npos) << devices;
    const std::string id = firstDeviceId(devices);

    const std::string zeros(122, '0');
    const std::string end = "FF" + std::string(126, '0');
    EXPECT_EQ(host.call("performOperation", json::array({id, "C0DE" + zeros + "00", -1, 5000, end}).dump())["result"],
              "{{-2|New command created}}");
    const auto answer = host.nextEvent(std::chrono::seconds(20));
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, json({{"event", "answer"},
                             {"deviceId", id},
                             {"result", "C0DE" + zeros + "00" + "C0DE" + zeros + "01" + "C0DE" + zeros + "02" + end}}));

    remote.stop();
    EXPECT_EQ(devicesEvent(host), json({{"event", "devices"}, {"devices", ""}}));
    EXPECT_EQ(host.call("getDevices")["result"], "");
}

INSTANTIATE_TEST_SUITE_P(Remotes, HostVm, ::testing::Values(RemoteKind::Uhid, RemoteKind::Usb),
                         [](const ::testing::TestParamInfo<RemoteKind>& info) { return kindName(info.param); });

} // namespace
