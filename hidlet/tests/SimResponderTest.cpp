#include "sim/SimResponder.h"

#include <gtest/gtest.h>

using namespace quorvex::lumora::client::corvane::hidlet::sim;

namespace {

std::vector<unsigned char> bytes(std::initializer_list<int> values)
{
    std::vector<unsigned char> v;
    for (int b : values)
        v.push_back(static_cast<unsigned char>(b));
    return v;
}

TEST(SimResponder, EchoesTheOutputReportCutOrPaddedToAnInputReport)
{
    SimResponder echo(parseSimRemote("in=4,out=6", 1));
    const unsigned char out[6] = {1, 2, 3, 4, 5, 6};
    SimAnswer a = echo.answer(out, 6);
    ASSERT_EQ(1u, a.reports.size());
    EXPECT_EQ(bytes({1, 2, 3, 4}), a.reports[0].bytes);
    EXPECT_EQ(0, a.reports[0].offsetMs);
    EXPECT_FALSE(a.vanishes);

    a = SimResponder(parseSimRemote("in=4,out=2", 1)).answer(out, 2);
    EXPECT_EQ(bytes({1, 2, 0, 0}), a.reports[0].bytes);
}

TEST(SimResponder, CountedAnswerIsNumberedAndClosedByTheEndPacket)
{
    SimResponder r(parseSimRemote("in=3,out=3,reply=3,end=EE,delay=5,rate=2", 1));
    const unsigned char out[3] = {7, 8, 9};
    const SimAnswer a = r.answer(out, 3);
    ASSERT_EQ(4u, a.reports.size());
    EXPECT_EQ(bytes({7, 8, 0}), a.reports[0].bytes);
    EXPECT_EQ(bytes({7, 8, 1}), a.reports[1].bytes);
    EXPECT_EQ(bytes({7, 8, 2}), a.reports[2].bytes);
    EXPECT_EQ(bytes({0xEE, 0, 0}), a.reports[3].bytes);
    for (size_t i = 0; i < a.reports.size(); ++i)
        EXPECT_EQ(5 + 2 * static_cast<long>(i), a.reports[i].offsetMs);
    EXPECT_EQ(4, r.reportsSent());
}

TEST(SimResponder, SilentAndMisbehavingRemotes)
{
    const unsigned char out[4] = {1, 2, 3, 4};
    EXPECT_TRUE(SimResponder(parseSimRemote("reply=silent,end=AA", 1)).answer(out, 4).reports.empty());
    EXPECT_TRUE(SimResponder(parseSimRemote("reply=0", 1)).answer(out, 4).reports.empty());

    const SimAnswer shortAnswer = SimResponder(parseSimRemote("in=4,out=4,length=2", 1)).answer(out, 4);
    ASSERT_EQ(1u, shortAnswer.reports.size());
    EXPECT_EQ(bytes({1, 2}), shortAnswer.reports[0].bytes);
}

TEST(SimResponder, VanishesAfterItsReportCountAcrossAnswers)
{
    SimResponder r(parseSimRemote("reply=2,rate=3,vanish=3", 1));
    const unsigned char out[64] = {0};
    SimAnswer first = r.answer(out, 64);
    EXPECT_EQ(2u, first.reports.size());
    EXPECT_FALSE(first.vanishes);
    SimAnswer second = r.answer(out, 64);
    ASSERT_EQ(1u, second.reports.size());
    EXPECT_TRUE(second.vanishes);
    EXPECT_EQ(0, second.vanishOffsetMs);
    EXPECT_TRUE(r.answer(out, 64).reports.empty());   // gone: no more answers

    SimResponder atOnce(parseSimRemote("vanish=0,delay=9", 1));
    const SimAnswer a = atOnce.answer(out, 64);
    EXPECT_TRUE(a.reports.empty());
    EXPECT_TRUE(a.vanishes);
    EXPECT_EQ(0, a.vanishOffsetMs);

    SimResponder later(parseSimRemote("reply=3,delay=4,rate=5,vanish=2", 1));
    const SimAnswer b = later.answer(out, 64);
    ASSERT_EQ(2u, b.reports.size());
    EXPECT_EQ(9, b.vanishOffsetMs);   // right after the second report
}

} // namespace
