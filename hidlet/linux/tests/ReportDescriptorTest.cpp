#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FakeSysfs.h"
#include "linux/ReportDescriptor.h"

using quorvex::lumora::client::corvane::hidlet::ReportLayout;
using quorvex::lumora::client::corvane::hidlet::parseReportDescriptor;

namespace {

typedef std::vector<unsigned char> Bytes;

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes cut(Bytes bytes, std::size_t length)
{
    bytes.resize(length);
    return bytes;
}

const Bytes kVendorHead = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01};   // page 0xFF00, usage 1, application
const Bytes kEnd = {0xC0};
const Bytes kByteItems = {0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08};      // 0..255, 8 bits each
Bytes count(unsigned char n) { return {0x95, n}; }
Bytes reportId(unsigned char id) { return {0x85, id}; }
const Bytes kInput = {0x09, 0x01, 0x81, 0x02};
const Bytes kOutput = {0x09, 0x01, 0x91, 0x02};

struct Case
{
    const char* name;
    Bytes descriptor;
    long usagePage, usage, inputBytes, outputBytes;
    bool inputNumbered, outputNumbered, wellFormed;
};

class ReportDescriptorTest : public ::testing::TestWithParam<Case>
{
};

TEST_P(ReportDescriptorTest, ReadsPrimaryUsageAndReportSizes)
{
    const Case& c = GetParam();
    const ReportLayout layout = parseReportDescriptor(c.descriptor);
    EXPECT_EQ(c.usagePage, layout.usagePage);
    EXPECT_EQ(c.usage, layout.usage);
    EXPECT_EQ(c.inputBytes, layout.inputBytes);
    EXPECT_EQ(c.outputBytes, layout.outputBytes);
    EXPECT_EQ(c.inputNumbered, layout.inputNumbered);
    EXPECT_EQ(c.outputNumbered, layout.outputNumbered);
    EXPECT_EQ(c.wellFormed, layout.wellFormed);
}

const Case kCases[] = {
    {"Unnumbered", remoteDescriptor(64, 64, false), 0xFF00, 1, 64, 64, false, false, true},
    {"NumberedCountsTheIdByte", remoteDescriptor(65, 33, true), 0xFF00, 1, 65, 33, true, true, true},
    {"LargeReportCounts", remoteDescriptor(4096, 1024, false), 0xFF00, 1, 4096, 1024, false, false, true},
    {"LargestOfSeveralNumberedReports",
     kVendorHead + kByteItems + reportId(1) + count(8) + kInput + count(4) + kOutput + reportId(2) + count(20) + kInput + kEnd,
     0xFF00, 1, 21, 5, true, true, true},
    {"NumberingIsPerDirection",
     kVendorHead + kByteItems + count(8) + kOutput + reportId(3) + count(10) + kInput + kEnd,
     0xFF00, 1, 11, 8, true, false, true},
    {"FieldsOfOneReportAddUpAndRoundToBytes",
     kVendorHead + Bytes{0x75, 0x01, 0x95, 0x03, 0x81, 0x02, 0x95, 0x09, 0x81, 0x02} + kEnd,
     0xFF00, 1, 2, -1, false, false, true},
    // Reports of one id are one report, whichever collection their fields sit in.
    {"FirstApplicationCollectionDecides", keyboardDescriptor() + remoteDescriptor(64, 64, false), 1, 6, 66, 64, false, false, true},
    {"OuterLogicalCollectionIsSkipped",
     Bytes{0x05, 0x01, 0x09, 0x02, 0xA1, 0x02} + kVendorHead + kByteItems + count(4) + kInput + kEnd + kEnd,
     0xFF00, 1, 4, -1, false, false, true},
    {"FourByteUsageCarriesItsPage",
     Bytes{0x05, 0x01, 0x0B, 0x01, 0x00, 0x00, 0xFF, 0xA1, 0x01} + kByteItems + count(2) + kInput + kEnd,
     0xFF00, 1, 2, -1, false, false, true},
    {"PopRestoresTheUsagePage",
     Bytes{0x05, 0x0C, 0xA4, 0x06, 0x00, 0xFF, 0xB4, 0x09, 0x01, 0xA1, 0x01} + kEnd, 0x0C, 1, -1, -1, false, false, true},
    {"LongItemsAreSkipped", Bytes{0xFE, 0x02, 0x10, 0xAA, 0xBB} + remoteDescriptor(8, 8, false), 0xFF00, 1, 8, 8, false, false, true},
    {"Empty", Bytes{}, -1, -1, -1, -1, false, false, true},
    {"ReportLargerThanHidrawMoves", kVendorHead + kByteItems + Bytes{0x96, 0xFF, 0xFF} + kInput + kEnd, 0xFF00, 1, -1, -1, false, false, true},
    {"CountTimesSizeBeyondRange",
     kVendorHead + Bytes{0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF} + kInput + kEnd,
     0xFF00, 1, -1, -1, false, false, true},
    {"TruncatedInsideAnItemKeepsTheUsageSeen", cut(remoteDescriptor(64, 64, false), 16), 0xFF00, 1, -1, -1, false, false, false},
    {"TruncatedBeforeTheCollection", cut(remoteDescriptor(64, 64, false), 4), -1, -1, -1, -1, false, false, false},
    {"CollectionNotClosed", cut(remoteDescriptor(64, 64, false), remoteDescriptor(64, 64, false).size() - 1), 0xFF00, 1, -1, -1, false, false, false},
    {"EndWithoutCollection", kEnd + remoteDescriptor(64, 64, false), -1, -1, -1, -1, false, false, false},
    {"ReportIdZero", kVendorHead + reportId(0) + kByteItems + count(4) + kInput + kEnd, 0xFF00, 1, -1, -1, false, false, false},
    {"PopWithoutPush", Bytes{0xB4} + remoteDescriptor(64, 64, false), -1, -1, -1, -1, false, false, false},
    {"TruncatedLongItem", Bytes{0xFE, 0x09, 0x10, 0xAA}, -1, -1, -1, -1, false, false, false},
};

INSTANTIATE_TEST_SUITE_P(Descriptors, ReportDescriptorTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

} // namespace
