#include "util/ByteUtil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using quorvex::lumora::client::common::util::ByteUtil;

namespace {

struct Converted
{
    int result;
    std::vector<unsigned char> bytes;
};

Converted convert(const char* text, int index, int length)
{
    unsigned char* out = nullptr;
    const int result = ByteUtil::hexCharArrayToBytes(text, index, length, out);
    Converted c{result, {}};
    EXPECT_NE(nullptr, out);   // always allocated
    if (result > 0)
        c.bytes.assign(out, out + result);
    delete[] out;
    return c;
}

TEST(ByteUtil, WritesUpperCaseDigitsHighNibbleFirst)
{
    const unsigned char bytes[] = {0x00, 0x0F, 0xA0, 0xFF};
    EXPECT_EQ("000FA0FF", ByteUtil::bytesToHexString(bytes, 4));
    EXPECT_EQ("", ByteUtil::bytesToHexString(bytes, 0));
    EXPECT_EQ("", ByteUtil::bytesToHexString(bytes, -3));
    EXPECT_EQ("", ByteUtil::bytesToHexString(nullptr, 4));
}

TEST(ByteUtil, AcceptsOnlyHexadecimalDigits)
{
    const struct { char c; int value; } cases[] = {
        {'0', 0}, {'9', 9}, {'A', 10}, {'F', 15}, {'a', 10}, {'f', 15},
        {'g', -1}, {'G', -1}, {' ', -1}, {'\0', -1}, {'/', -1}, {':', -1}, {'@', -1}, {'`', -1},
        {static_cast<char>(0xC3), -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.value, ByteUtil::charToInt(c.c)) << static_cast<int>(c.c);
}

TEST(ByteUtil, ConvertsDigitPairs)
{
    Converted c = convert("0a1B", 0, 4);
    EXPECT_EQ(2, c.result);
    EXPECT_EQ((std::vector<unsigned char>{0x0A, 0x1B}), c.bytes);

    c = convert("xx0a1Byy", 2, 4);   // a range inside a longer text
    EXPECT_EQ(2, c.result);
    EXPECT_EQ((std::vector<unsigned char>{0x0A, 0x1B}), c.bytes);

    EXPECT_EQ(-1, convert("0G", 0, 2).result);
    EXPECT_EQ(-1, convert("G0", 0, 2).result);
    EXPECT_EQ(0, convert("", 0, 0).result);
    EXPECT_EQ(-1, convert("", 0, -2).result);   // a negative length converts nothing
}

TEST(ByteUtil, OddLengthsNeverReadOrWritePastTheirText)
{
    // A whole odd-length text: the last pair is cut by the terminating NUL.
    EXPECT_EQ(-1, convert("ABC", 0, 3).result);
    EXPECT_EQ(-1, convert("A", 0, 1).result);

    // An odd range inside a longer text takes its last digit from the next character, and the
    // result still holds only length/2 bytes.
    const Converted inside = convert("ABCD", 0, 3);
    EXPECT_EQ(1, inside.result);
    EXPECT_EQ((std::vector<unsigned char>{0xAB}), inside.bytes);

    // A range longer than its text stops at the NUL; heap copies make ASan see any overread.
    for (int length : {2, 3, 4, 9}) {
        const std::string text = "AB";
        char* heap = new char[text.size() + 1];
        std::copy(text.c_str(), text.c_str() + text.size() + 1, heap);
        const Converted c = convert(heap, 0, length);
        EXPECT_EQ(length == 2 ? 1 : -1, c.result) << length;
        delete[] heap;
    }
}

TEST(ByteUtil, RoundTripsEveryByteValue)
{
    std::vector<unsigned char> all(256);
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<unsigned char>(i);
    const std::string text = ByteUtil::bytesToHexString(all.data(), 256);
    const Converted back = convert(text.c_str(), 0, static_cast<int>(text.size()));
    EXPECT_EQ(256, back.result);
    EXPECT_EQ(all, back.bytes);
}

} // namespace
