// The player over a device that, like a USB device, holds each input report until the host has
// polled for it: nothing due is lost or reordered while the device is busy, and a removal waits
// for the host to take the reports before it, but not for ever.
#include "RemotePlayer.h"

#include <poll.h>

#include <deque>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

typedef RemotePlayer::Clock Clock;

// What the fake device did, kept by the test.
struct DeviceLog
{
    bool plugged = false;
    int plugs = 0;
    int unplugs = 0;
    bool holdsReports = true;   // like a USB device: one report waits for the host's poll
    bool holding = false;       // a report is waiting
    std::vector<std::vector<unsigned char> > taken;   // reports the host took, in order
    std::deque<std::vector<unsigned char> > outputs;  // output reports the host sent
};

class HoldingDevice : public RemoteDevice
{
public:
    explicit HoldingDevice(DeviceLog& log) : m_log(log) {}

    void plug(const RemoteIdentity&, const std::vector<unsigned char>&) override
    {
        m_log.plugged = true;
        ++m_log.plugs;
    }
    void unplug() override
    {
        m_log.plugged = false;
        m_log.holding = false;
        ++m_log.unplugs;
    }
    bool plugged() const override { return m_log.plugged; }
    int fd() const override { return 0; }
    SendResult sendInput(const unsigned char* report, std::size_t length) override
    {
        if (m_log.holding)
            return BUSY;
        m_pending.assign(report, report + length);
        m_log.holding = m_log.holdsReports;
        if (!m_log.holdsReports)
            m_log.taken.push_back(m_pending);
        return SENT;
    }
    bool takeOutput(std::vector<unsigned char>* report) override
    {
        if (m_log.outputs.empty())
            return false;
        *report = m_log.outputs.front();
        m_log.outputs.pop_front();
        return true;
    }
    bool drained() const override { return !m_log.holding; }

    // The host polls the interrupt IN endpoint.
    void hostPolls()
    {
        if (m_log.holding)
            m_log.taken.push_back(m_pending);
        m_log.holding = false;
    }

private:
    DeviceLog& m_log;
    std::vector<unsigned char> m_pending;
};

struct PlayerFixture
{
    DeviceLog log;
    HoldingDevice* device;
    RemotePlayer player;
    Clock::time_point start = Clock::now();

    PlayerFixture(const std::string& description, bool numbered)
        : device(new HoldingDevice(log)),
          player(sim::parseSimRemote(description, 1), numbered, std::unique_ptr<RemoteDevice>(device), "test")
    {
        player.plug();
    }

    Clock::time_point at(long ms) const { return start + std::chrono::milliseconds(ms); }

    void hostSends(const std::vector<unsigned char>& report, long ms)
    {
        log.outputs.push_back(report);
        player.onReady(POLLIN, at(ms));
    }
};

TEST(RemotePlayer, ABusyDeviceGetsEveryDueReportInOrderAsTheHostTakesThem)
{
    PlayerFixture f("in=4, out=4, reply=3, end=EE", true);
    f.hostSends({1, 0xA, 0xB, 0xC}, 0);

    // All four reports fall due at once; the device takes one, then waits for the host.
    f.player.runDue(f.at(0));
    EXPECT_TRUE(f.log.holding);
    EXPECT_EQ(POLLIN | POLLOUT, f.player.events());
    for (int poll = 0; poll < 4; ++poll) {
        f.device->hostPolls();
        f.player.runDue(f.at(1 + poll));
    }
    const std::vector<std::vector<unsigned char> > expected = {
        {1, 0xA, 0xB, 0}, {1, 0xA, 0xB, 1}, {1, 0xA, 0xB, 2}, {1, 0, 0, 0}};   // numbered: id 1 first
    EXPECT_EQ(expected, f.log.taken);
    EXPECT_EQ(4, f.player.inputs());
    EXPECT_EQ(POLLIN, f.player.events());
}

TEST(RemotePlayer, ARemovalWaitsForTheHostToTakeTheLastReportButNotForEver)
{
    const long waitMs = RemotePlayer::REMOVAL_WAIT.count();
    const struct
    {
        bool hostPolls;
        long goneAtMs;
    } cases[] = {
        {true, 10},           // the host takes the report at 10 ms: the remote goes then
        {false, waitMs},      // nobody reads: it goes once the wait is over
    };
    for (const auto& c : cases) {
        PlayerFixture f("in=2, out=2, reply=1, vanish=1, replug=50", false);
        f.hostSends({7, 8}, 0);
        Clock::time_point next = f.player.runDue(f.at(0));
        EXPECT_TRUE(f.log.plugged) << "gone before the host took its report";
        EXPECT_EQ(f.at(waitMs), next);
        if (c.hostPolls)
            f.device->hostPolls();
        next = f.player.runDue(f.at(c.goneAtMs));
        EXPECT_FALSE(f.log.plugged) << c.goneAtMs;
        EXPECT_EQ(1, f.log.unplugs);
        EXPECT_EQ(c.hostPolls ? 1u : 0u, f.log.taken.size());

        // It comes back 50 ms after it went, as a device that answers afresh.
        EXPECT_EQ(f.at(c.goneAtMs + 50), next);
        f.player.runDue(next);
        EXPECT_TRUE(f.log.plugged);
        EXPECT_EQ(2, f.log.plugs);
    }
}

} // namespace
