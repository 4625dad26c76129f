#include "core/core.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

std::int64_t measure(const WideText &text)
{
    return text_encode(CODE_PAGE_UTF8, text.data(), static_cast<std::int64_t>(text.size()), nullptr, 0);
}

WideText decode(const std::string &bytes)
{
    char16_t out[32] = {};
    auto count = static_cast<std::int64_t>(bytes.size());
    std::int64_t needed = text_decode(CODE_PAGE_UTF8, bytes.data(), count, nullptr, 0);
    std::int64_t written = text_decode(CODE_PAGE_UTF8, bytes.data(), count, out, 32);
    EXPECT_EQ(needed, written) << bytes;
    return WideText(out, static_cast<std::size_t>(written));
}

TEST(TextUtf8, RoundTripsEveryPlaneWithSurrogatePairs)
{
    WideText text = u"A\u00E9\u20AC\U0001F600\U0010FFFF";
    std::string utf8 = text_to_utf8(text);
    EXPECT_EQ(utf8, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF");
    EXPECT_EQ(text_from_utf8(utf8.c_str()), text);
    EXPECT_EQ(text_from_utf8(nullptr), u"");
    EXPECT_EQ(text_to_utf8(u""), "");
}

TEST(TextUtf8, LoneSurrogatesFollowTheirRules)
{
    EXPECT_EQ(text_to_utf8(u"a\xDC00z"), "a\xED\xB0\x80z"); // trailing alone: 3 bytes
    EXPECT_EQ(text_to_utf8(u"ab\xD800"), "ab");             // leading last: text ends
    EXPECT_EQ(measure(u"ab\xD800z"), 2);                     // measuring stops there
    EXPECT_EQ(text_to_utf8(u"ab\xD800z"), "");               // converting fails
    char buffer[8];
    EXPECT_EQ(text_encode(CODE_PAGE_UTF8, u"ab\xD800z", 4, buffer, 8), 0);
}

TEST(TextUtf8, EncodingThroughTheTerminatorAndIntoSmallBuffers)
{
    EXPECT_EQ(text_encode(CODE_PAGE_UTF8, u"\u00E9", -1, nullptr, 0), 3);
    EXPECT_EQ(text_encode(CODE_PAGE_UTF8, u"x\xD800", -1, nullptr, 0), 2);
    char buffer[4] = {'#', '#', '#', '#'};
    // A sequence that does not fit is not split.
    EXPECT_EQ(text_encode(CODE_PAGE_UTF8, u"a\u20AC", 2, buffer, 3), 1);
    EXPECT_EQ(buffer[1], '#');
    EXPECT_EQ(text_encode(CODE_PAGE_UTF8, u"abcdef", 6, buffer, 2), 2);
    EXPECT_EQ(buffer[2], '#');
    EXPECT_EQ(text_encode(CODE_PAGE_UTF8, nullptr, -1, nullptr, 0), 0);
}

TEST(TextUtf8, MalformedInputEndsTheConversion)
{
    EXPECT_EQ(decode("ab\x80" "cd"), u"ab");            // stray continuation
    EXPECT_EQ(decode("ab\xF8\x80\x80\x80\x80"), u"ab"); // lead above 0xF7
    EXPECT_EQ(decode("ab\xE2\x82"), u"ab");             // truncated
    EXPECT_EQ(decode("ab\xE2\x82z"), u"ab");            // continuation missing
    EXPECT_EQ(decode("ab\xF4\x90\x80\x80" "c"), u"ab"); // above 0x10FFFF
    EXPECT_EQ(decode("\xF7\xBF\xBF\xBF"), u"");         // 4-byte lead, too large
    EXPECT_EQ(decode("\xC0\x81" "b"), u"\x01" u"b");     // overlong accepted
    EXPECT_EQ(decode("\xED\xB0\x80"), u"\xDC00");        // encoded lone surrogate
    EXPECT_EQ(text_decode(CODE_PAGE_UTF8, "ab", -1, nullptr, 0), 3);
    char16_t one[1];
    EXPECT_EQ(text_decode(CODE_PAGE_UTF8, "\xF0\x9F\x98\x80", 4, one, 1), 0); // pair does not fit
}

TEST(Text8Bit, KeepsUnitsUpTo255AndWidensBytes)
{
    char bytes[8] = {};
    EXPECT_EQ(text_encode(CODE_PAGE_8BIT, u"M\u00FF\u0100R;", 5, nullptr, 0), 4);
    EXPECT_EQ(text_encode(CODE_PAGE_8BIT, u"M\u00FF\u0100R;", 5, bytes, 8), 4);
    EXPECT_EQ(std::string(bytes, 4), "M\xFFR;");
    EXPECT_EQ(text_encode(CODE_PAGE_8BIT, u"MR00;", 5, bytes, 3), 3);

    char16_t units[8] = {};
    EXPECT_EQ(text_decode(CODE_PAGE_8BIT, "A\xE9\xFF", 3, units, 8), 3);
    EXPECT_EQ(WideText(units, 3), u"A\u00E9\u00FF");
    EXPECT_EQ(text_decode(CODE_PAGE_8BIT, "A\xE9\xFF", -1, nullptr, 0), 4);
    EXPECT_EQ(text_decode(CODE_PAGE_8BIT, "ABCD", 4, units, 2), 2);
}

} // namespace
