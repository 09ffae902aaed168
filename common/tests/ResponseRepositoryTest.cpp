#include "response/ResponseRepository.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using quorvex::lumora::client::corvane::response::ResponseRepository;

namespace {

std::string message(int code, const char* detail)
{
    char* out = nullptr;
    ResponseRepository::createDynamicErrorMessage(out, code, detail);
    std::string text(out);
    delete[] out;
    return text;
}

TEST(ResponseRepository, EveryCodeHasItsExactText)
{
    const std::map<int, std::string> expected = {
        {0, "Command executed successfully"},
        {-100, "No code set"},
        {-2, "New command created"},
        {-1, "Command in progress"},
        {400, "Fatal error occurred, system should be refreshed"},
        {500, "Unkown error"},
        {600, "Cancel command"},
        {100, "Error in USB device library"},
        {101, "USB Unexpected read error"},
        {102, "USB read error (read timeout)"},
        {103, "USB read error (IoPipe not found)"},
        {104, "USB write error (IoPipe not found)"},
        {105, "USB Unexpected write error"},
        {106, "USB write error in IoPipe"},
        {200, "Error in KVE"},
        {201, "Lumora remote not found"},
        {202, "USB Communication channel not found"},
        {203, "Command can not be processed because it does not exist"},
        {204, "Command can not be procssed because of invalid state"},
        {205, "Write error"},
        {206, "Read error"},
        {207, "USB Communication channel not open for read"},
        {208, "USB Communication channel not open for write"},
        {209, "End packet parsing error"},
        {210, "KVE terminate signal missing"},
        {211, "KVE cannot cleanup the remote"},
        {300, "Error in plugin"},
    };
    // Every code from -1000 to 1000 that has a text is one of these, with its text.
    std::map<int, std::string> found;
    for (int code = -1000; code <= 1000; ++code) {
        const std::string text = ResponseRepository::getErrorText(code);
        if (!text.empty())
            found[code] = text;
    }
    EXPECT_EQ(expected, found);
    EXPECT_EQ("", ResponseRepository::getErrorText(1234));
}

TEST(ResponseRepository, ResponseStringsAreFramedExactly)
{
    EXPECT_EQ("{{201|Lumora remote not found:in KVE::execute}}", message(201, "in KVE::execute"));
    EXPECT_EQ("{{-1|Command in progress}}", message(-1, ""));
    EXPECT_EQ("{{-2|New command created}}", message(-2, nullptr));
    EXPECT_EQ("{{0|Command executed successfully:in KVE::cancel}}", message(0, "in KVE::cancel"));
    EXPECT_EQ("{{1234|}}", message(1234, ""));
    EXPECT_EQ("{{-100|No code set:x}}", message(-100, "x"));
}

TEST(ResponseRepository, ErrorTextWithDetailAlwaysHasTheSeparator)
{
    EXPECT_EQ(": abc", ResponseRepository::getErrorText(5, "abc"));
    EXPECT_EQ("Cancel command: ", ResponseRepository::getErrorText(600, std::string()));
    EXPECT_EQ("Cancel command: ", ResponseRepository::getErrorText(600, static_cast<const char*>(nullptr)));
}

TEST(ResponseRepository, ReadsTheCodeOfAnyText)
{
    const struct { const char* text; int code; } cases[] = {
        {"{{-2|New command created}}", -2},
        {"{{201|Lumora remote not found:in KVE::execute}}", 201},
        {"0A1B", 0},          // hexadecimal data: success
        {"{{", 0},
        {"{", 0},
        {"", 0},
        {"{{abc|x}}", 0},     // code part is no number
        {"{{12", 12},         // no "|": the rest of the text is the code part
        {"{{ 7|x}}", 7},
        {"{x{5|y}}", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.code, ResponseRepository::getResponseCode(c.text)) << c.text;
    EXPECT_EQ(0, ResponseRepository::getResponseCode(static_cast<const char*>(nullptr)));
}

TEST(ResponseRepository, SplitsTheTextIntoMajorAndMinor)
{
    const std::string endPacket = "{{209|End packet parsing error:FFFF}}";
    EXPECT_EQ("End packet parsing error:FFFF", ResponseRepository::getErrorText(endPacket));
    EXPECT_EQ("End packet parsing error", ResponseRepository::getMajorText(endPacket));
    EXPECT_EQ("FFFF", ResponseRepository::getMinorText(endPacket));

    const std::string plain = "{{0|Command executed successfully}}";
    EXPECT_EQ("Command executed successfully", ResponseRepository::getMajorText(plain));
    EXPECT_EQ("", ResponseRepository::getMinorText(plain));

    // A "}" inside the detail ends the text there; a "}" before the "|" leaves nothing.
    EXPECT_EQ("a:b", ResponseRepository::getErrorText("{{1|a:b}c}}"));
    EXPECT_EQ("", ResponseRepository::getErrorText("{{}|x}}"));
    EXPECT_EQ("", ResponseRepository::getErrorText("{{1 no bar}}"));
    EXPECT_EQ("", ResponseRepository::getErrorText("0A1B"));
    EXPECT_EQ("", ResponseRepository::getMajorText("0A1B"));
    EXPECT_EQ("", ResponseRepository::getMinorText(static_cast<const char*>(nullptr)));
}

TEST(ResponseRepository, ClassifiesCodesAndTexts)
{
    EXPECT_TRUE(ResponseRepository::isInProgress(-100));
    EXPECT_TRUE(ResponseRepository::isInProgress(-1));
    EXPECT_FALSE(ResponseRepository::isFailure(0));
    EXPECT_TRUE(ResponseRepository::isSuccess("0A1B"));
    EXPECT_TRUE(ResponseRepository::isInProgress(std::string("{{-1|Command in progress}}")));
    EXPECT_TRUE(ResponseRepository::isFailure("{{600|Cancel command}}"));
    EXPECT_TRUE(ResponseRepository::isUsbLibError(100));
    EXPECT_TRUE(ResponseRepository::isUsbLibError(199));
    EXPECT_FALSE(ResponseRepository::isUsbLibError(200));
    EXPECT_TRUE(ResponseRepository::isKVEError(211));
    EXPECT_FALSE(ResponseRepository::isKVEError(300));
    EXPECT_TRUE(ResponseRepository::isPluginError(300));
    EXPECT_FALSE(ResponseRepository::isPluginError(400));
    for (int code : {400, 500, 600, 998, 999}) {
        EXPECT_TRUE(ResponseRepository::isFailure(code));
        EXPECT_FALSE(ResponseRepository::isUsbLibError(code) || ResponseRepository::isKVEError(code) ||
                     ResponseRepository::isPluginError(code));
    }
}

const std::string kOneRemote =
    "device_id=P;;token=7;;vendor_id=123;;product_id=456;;input_report_length=64;;"
    "output_report_length=64;;bcd_version_number=256||";

TEST(ResponseRepository, DeviceIdIsTheFirstValueOfTheFirstRecord)
{
    EXPECT_EQ("P", ResponseRepository::getDeviceId(kOneRemote));
    EXPECT_EQ("P", ResponseRepository::getDeviceId(kOneRemote + "device_id=Q;;token=8||"));
    EXPECT_EQ("", ResponseRepository::getDeviceId("device_id=P;;token=7"));   // no "||"
    EXPECT_EQ("", ResponseRepository::getDeviceId("device_id=P||"));          // no ";;"
    EXPECT_EQ("", ResponseRepository::getDeviceId("device_id;;token=7||"));   // no "="
    EXPECT_EQ("", ResponseRepository::getDeviceId(""));
}

TEST(ResponseRepository, DeviceAttributesOfTheFirstRecordIncludingTheLast)
{
    std::map<std::string, std::string> attributes = {{"kept", "yes"}, {"token", "old"}};
    ResponseRepository::getDeviceAttributes(kOneRemote + "device_id=Q;;token=8;;extra=1||", attributes);
    const std::map<std::string, std::string> expected = {
        {"kept", "yes"}, {"device_id", "P"}, {"token", "7"}, {"vendor_id", "123"},
        {"product_id", "456"}, {"input_report_length", "64"}, {"output_report_length", "64"},
        {"bcd_version_number", "256"}};
    EXPECT_EQ(expected, attributes);

    std::map<std::string, std::string> partial;
    ResponseRepository::getDeviceAttributes("a=1;;junk;;b=x=y;;;;c=", partial);
    const std::map<std::string, std::string> expectedPartial = {{"a", "1"}, {"b", "x=y"}, {"c", ""}};
    EXPECT_EQ(expectedPartial, partial);
}

} // namespace
