#include "UsbCommand.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using quorvex::lumora::client::corvane::superstupiddummyengine::UsbCommand;

namespace {

std::string answer(UsbCommand& command)
{
    char* text = nullptr;
    command.generateResponse(text);
    std::string s(text);
    delete[] text;
    return s;
}

unsigned char* packet(std::initializer_list<int> bytes)
{
    unsigned char* p = new unsigned char[bytes.size()];
    size_t i = 0;
    for (int b : bytes)
        p[i++] = static_cast<unsigned char>(b);
    return p;
}

std::vector<unsigned char> bytesOf(const unsigned char* p, size_t n) { return std::vector<unsigned char>(p, p + n); }

TEST(UsbCommand, CutsTheRequestIntoWholeOutputReports)
{
    const struct { size_t digits; size_t packets; } cases[] = {{128, 1}, {130, 1}, {127, 0}, {256, 2}, {0, 0}};
    for (const auto& c : cases) {
        const std::string request(c.digits, 'a');
        UsbCommand command(request.c_str(), 1, 64, 64, "");
        EXPECT_EQ(c.packets, command.getSendingPackets().size()) << c.digits << " digits";
        EXPECT_EQ(-2, command.getResult());
    }
    UsbCommand exact("00ff10Ab" "c0DE", 1, 4, 4, "");   // the trailing half report is ignored
    ASSERT_EQ(1u, exact.getSendingPackets().size());
    EXPECT_EQ((std::vector<unsigned char>{0x00, 0xFF, 0x10, 0xAB}), bytesOf(exact.getSendingPackets().front(), 4));

    UsbCommand noChannel("0011", 1, 0, 0, "");   // a remote without open channel: nothing to cut
    EXPECT_TRUE(noChannel.getSendingPackets().empty());
    EXPECT_EQ(-2, noChannel.getResult());
}

TEST(UsbCommand, EndPacketMustBeOneInputReportOfHexadecimalDigits)
{
    const std::string good(8, 'F');
    UsbCommand accepted("", -1, 4, 4, good.c_str());
    EXPECT_EQ(-2, accepted.getResult());

    for (const std::string& bad : {std::string(7, 'F'), std::string(9, 'F'), std::string(10, 'F'),
                                  std::string("FFFFFFFG"), std::string("GFFFFFFF"), std::string("FF FFFFF")}) {
        UsbCommand command("", -1, 4, 4, bad.c_str());
        EXPECT_EQ(209, command.getResult()) << bad;
        EXPECT_EQ("{{209|End packet parsing error:" + bad + "}}", answer(command));
    }
}

TEST(UsbCommand, AnswerOfUnknownLengthNeedsAnEndPacket)
{
    UsbCommand unknown("00", -1, 4, 4, "");
    EXPECT_EQ(210, unknown.getResult());
    EXPECT_EQ("{{210|KVE terminate signal missing}}", answer(unknown));

    UsbCommand none("00", 0, 4, 4, "");
    EXPECT_EQ(-2, none.getResult());
    none.setResult(0);
    EXPECT_EQ("", answer(none));   // nothing read: the empty text
}

TEST(UsbCommand, MissingOrNonHexadecimalRequestIsRefusedAtOnce)
{
    const struct { const char* request; const char* end; const char* text; } cases[] = {
        {nullptr, "", "{{200|Error in KVE:Request is missing}}"},
        {"0011", nullptr, "{{200|Error in KVE:End packet is missing}}"},
        {"00G1", "", "{{200|Error in KVE:Request is not hexadecimal text (character 3)}}"},
        {"0011\xC3\xA9", "", "{{200|Error in KVE:Request is not hexadecimal text (character 5)}}"},
        {"00112233 ", "", "{{200|Error in KVE:Request is not hexadecimal text (character 9)}}"},
    };
    for (const auto& c : cases) {
        UsbCommand command(c.request, 1, 4, 4, c.end);
        EXPECT_EQ(200, command.getResult());
        EXPECT_TRUE(command.getSendingPackets().empty());
        EXPECT_EQ(c.text, answer(command));
    }
    UsbCommand badEndFirst("zz", 1, 4, 4, "12");   // the end packet is judged first
    EXPECT_EQ(209, badEndFirst.getResult());
}

TEST(UsbCommand, AnswerEndsByCountOrByEndPacketWhicheverComesFirst)
{
    UsbCommand counted("", 3, 2, 2, "");
    for (bool expected : {true, true, false}) {
        unsigned char* p = packet({1, 2});
        EXPECT_EQ(expected, counted.addReceivingPacket(p));
    }

    UsbCommand untilEnd("", -1, 2, 2, "ABCD");
    unsigned char* data = packet({0xAB, 0xCC});
    unsigned char* end = packet({0xAB, 0xCD});
    EXPECT_TRUE(untilEnd.addReceivingPacket(data));
    EXPECT_FALSE(untilEnd.addReceivingPacket(end));
    untilEnd.setResult(0);
    EXPECT_EQ("ABCCABCD", answer(untilEnd));   // the end packet is the answer's last block

    UsbCommand endBeforeCount("", 5, 2, 2, "0000");
    unsigned char* zero = packet({0, 0});
    EXPECT_FALSE(endBeforeCount.addReceivingPacket(zero));
    UsbCommand countBeforeEnd("", 1, 2, 2, "0000");
    unsigned char* one = packet({1, 1});
    EXPECT_FALSE(countBeforeEnd.addReceivingPacket(one));

    UsbCommand negative("", -2, 2, 2, "");   // any count below -1 ends after the first packet
    unsigned char* first = packet({9, 9});
    EXPECT_FALSE(negative.addReceivingPacket(first));
}

TEST(UsbCommand, AnswerTextFollowsTheResult)
{
    UsbCommand command("", 2, 3, 3, "");
    EXPECT_EQ("{{-2|New command created}}", answer(command));
    command.setResult(-1);
    EXPECT_EQ("{{-1|Command in progress}}", answer(command));
    unsigned char* a = packet({0x00, 0x0F, 0xA0});
    unsigned char* b = packet({0xFF, 0x1b, 0x02});
    command.addReceivingPacket(a);
    command.addReceivingPacket(b);
    command.setResult(0);
    EXPECT_EQ("000FA0FF1B02", answer(command));
    command.setErrorText("Worker finished processing but the result got messed up!");
    command.setResult(400);
    EXPECT_EQ("{{400|Fatal error occurred, system should be refreshed:"
              "Worker finished processing but the result got messed up!}}", answer(command));
    EXPECT_FALSE(command.isCanceled());
    command.cancel();
    EXPECT_TRUE(command.isCanceled());
}

} // namespace
