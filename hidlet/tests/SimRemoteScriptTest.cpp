#include "sim/SimRemoteScript.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace quorvex::lumora::client::corvane::hidlet::sim;

namespace {

TEST(SimRemoteScript, DefaultsDescribeAnEchoRemote)
{
    const std::vector<SimRemoteScript> remotes = parseSimRemotes("1");
    ASSERT_EQ(1u, remotes.size());
    const SimRemoteScript& r = remotes[0];
    EXPECT_EQ("sim1", r.id);
    EXPECT_EQ(0x1234, r.vendorId);
    EXPECT_EQ(0x5678, r.productId);
    EXPECT_EQ(0x0100, r.version);
    EXPECT_EQ(0x14100000, r.location);
    EXPECT_EQ("336592896", r.devicePath());
    EXPECT_EQ(64, r.inputSize);
    EXPECT_EQ(64, r.outputSize);
    EXPECT_EQ(SimRemoteScript::ECHO, r.reply);
    EXPECT_TRUE(r.endPacket.empty());
    EXPECT_EQ(-1, r.vanishAfter);
}

TEST(SimRemoteScript, ReadsEveryField)
{
    const SimRemoteScript r = parseSimRemote(
        " id=alpha , vid=4660, pid=0x5679, version=-1, location=-1, in=65, out=32, reply=3, end=ff00AA,"
        " delay=5, rate=1, length=10, vanish=7, replug=250, open=fail ", 4);
    EXPECT_EQ("alpha", r.id);
    EXPECT_EQ(4660, r.vendorId);
    EXPECT_EQ(0x5679, r.productId);
    EXPECT_EQ(-1, r.version);
    EXPECT_EQ("-1", r.devicePath());
    EXPECT_EQ(65, r.inputSize);
    EXPECT_EQ(32, r.outputSize);
    EXPECT_EQ(SimRemoteScript::COUNT, r.reply);
    EXPECT_EQ(3, r.replyCount);
    EXPECT_EQ((std::vector<unsigned char>{0xFF, 0x00, 0xAA}), r.endPacket);
    EXPECT_EQ(5, r.delayMs);
    EXPECT_EQ(1, r.rateMs);
    EXPECT_EQ(10, r.answerLength);
    EXPECT_EQ(7, r.vanishAfter);
    EXPECT_EQ(250, r.replugMs);
    EXPECT_TRUE(r.openFails);
    EXPECT_EQ((std::vector<std::string>{"id", "vid", "pid", "version", "location", "in", "out", "reply", "end",
                                        "delay", "rate", "length", "vanish", "replug", "open"}),
              r.keys);
    EXPECT_EQ(SimRemoteScript::SILENT, parseSimRemote("reply=silent", 1).reply);
}

TEST(SimRemoteScript, RejectsWhatItCannotPlay)
{
    const char* bad[] = {
        "vid", "vid=", "vid=12x", "vid=0x10000", "in=0", "in=4097", "out=-1", "reply=many",
        "end=ABC", "end=GG", "in=2,end=AABBCC", "colour=red", "id=a b", "delay=-1", "open=yes",
    };
    for (const char* text : bad)
        EXPECT_THROW(parseSimRemote(text, 1), std::invalid_argument) << text;
    EXPECT_THROW(parseSimRemotes("id=a;id=a"), std::invalid_argument);
}

TEST(SimRemoteScript, ListsRemotesWithCommentsAndBlankEntries)
{
    const std::vector<SimRemoteScript> remotes = parseSimRemotes(
        "# two remotes\n"
        "id=a, reply=silent   # never answers\n"
        "\n"
        ";; id=b ; vid=1\n");
    ASSERT_EQ(3u, remotes.size());
    EXPECT_EQ("a", remotes[0].id);
    EXPECT_EQ("b", remotes[1].id);
    EXPECT_EQ("sim3", remotes[2].id);
    EXPECT_EQ(1, remotes[2].vendorId);
    EXPECT_NE(remotes[1].location, remotes[2].location);
    EXPECT_TRUE(parseSimRemotes("  # nothing\n").empty());
}

} // namespace
