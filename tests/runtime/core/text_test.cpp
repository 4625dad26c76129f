#include "core/core.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <string>

namespace {

TEST(Text, ValParsesSignsBasesAndWraps) {
    const std::pair<WideText, std::int64_t> cases[] = {
        {u"  -42x", -42}, {u"\t+17", 17}, {u"$7fG", 127}, {u"-$10", -16},
        {u"%1012", 5},    {u"- 5", 0},    {u"abc", 0},    {u"$FFFFFFFFFFFFFFFF", -1}};
    for (const auto &[text, value] : cases)
        EXPECT_EQ(text_val(text), value) << text_to_utf8(text);
    EXPECT_EQ(text_val(u"9223372036854775807"), INT64_MAX);
    EXPECT_EQ(text_val(u"9223372036854775808"), INT64_MIN); // wraps
    EXPECT_EQ(text_val(u"18446744073709551617"), 1);
    EXPECT_EQ(text_val(WideText(u"12\0003", 4)), 12);
    EXPECT_EQ(text_str(INT64_MIN), u"-9223372036854775808");
}

TEST(Text, UnitsLengthsAndClamps) {
    EXPECT_EQ(text_right(u"ABC", -1), u"");
    EXPECT_EQ(text_mid(u"ABC", -9, 1), u"A");
    EXPECT_EQ(text_mid(u"ABC", 2, -3), u"");
    EXPECT_EQ(text_mid(u"ABC", INT32_MAX, INT32_MAX), u"");
    EXPECT_EQ(text_asc(u"\U0001F600"), 0xD83D);
    EXPECT_EQ(text_chr(0x10041), u"A");
    EXPECT_EQ(text_chr(0), u"");
    EXPECT_EQ(text_byte_length(u"MW00", TEXT_UTF16), 8);
    EXPECT_EQ(text_byte_length(u"a\u00E9\u20AC\U0001F600", TEXT_UTF8), 1 + 2 + 3 + 4);
#ifndef _WIN32
    // One byte per unit up to 255; the others have no byte.
    EXPECT_EQ(text_byte_length(u"a\u00E9\u20AC", TEXT_8BIT), 2);
#endif
    std::setlocale(LC_ALL, "C.UTF-8"); // towlower follows the C library's locale
    EXPECT_EQ(text_lcase(u"MR00;\u00C9\u0416\U0001F600"), u"mr00;\u00E9\u0436\U0001F600");
    std::setlocale(LC_ALL, "C");
}

TEST(TextUtf8, RoundTripsEveryPlaneAndFollowsTheSurrogateRules) {
    WideText text = u"A\u00E9\u20AC\U0001F600\U0010FFFF";
    std::string utf8 = text_to_utf8(text);
    EXPECT_EQ(utf8, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF");
    EXPECT_EQ(text_from_utf8(utf8.c_str()), text);
    EXPECT_EQ(text_from_utf8(nullptr), u"");
    EXPECT_EQ(text_to_utf8(u"a\xDC00z"), "a\xED\xB0\x80z");  // trailing alone: 3 bytes
    EXPECT_EQ(text_to_utf8(u"ab\xD800"), "ab");              // leading last: text ends
    EXPECT_EQ(text_byte_length(u"ab\xD800z", TEXT_UTF8), 2); // measuring stops there
    EXPECT_EQ(text_to_utf8(u"ab\xD800z"), "");               // converting fails
}

// Lengths and comparisons stop at the terminator; an absent text is empty.
TEST(Text, LengthEqualityAndFormatting) {
    EXPECT_EQ(text_length(u"MR00\U0001F600"), 6);
    EXPECT_EQ(text_length(WideText(u"ab\0cd", 5)), 2);
    EXPECT_EQ(text_length(WideText()), 0);
    EXPECT_EQ(text_equal(u"CW ", u"CW "), 1);
    EXPECT_EQ(text_equal(u"CW ", u"CW"), 0);
    EXPECT_EQ(text_equal(WideText(), u""), 1);
    EXPECT_EQ(text_equal(WideText(u"ab\0x", 4), u"ab"), 1);
    EXPECT_EQ(text_format(u"MR00%02d;", 7), u"MR0007;");
    EXPECT_EQ(text_format(u"%s \u00E9 %lld %5.1f", "\xE2\x82\xAC", -12LL, 2.5),
              u"\u20AC \u00E9 -12   2.5");
    EXPECT_EQ(text_format(nullptr), u"");
}

TEST(TextUtf8, MalformedInputEndsTheConversion) {
    // A stray continuation, a lead above 0xF7, a truncated sequence, a missing
    // continuation, a code above 0x10FFFF; an overlong form and an encoded
    // lone surrogate are taken.
    const std::pair<const char *, WideText> cases[] = {
        {"ab\200cd", u"ab"},        {"ab\xF8\x80\x80\x80\x80", u"ab"}, {"ab\xE2\x82", u"ab"},
        {"ab\xE2\x82z", u"ab"},     {"ab\xF4\x90\x80\x80z", u"ab"},    {"\xC0\x81z", u"\x01z"},
        {"\xED\xB0\x80", u"\xDC00"}};
    for (const auto &[bytes, text] : cases)
        EXPECT_EQ(text_from_utf8(bytes), text) << bytes;
}

// Through the terminator with a count of -1; a sequence is never split.
TEST(TextUtf8, EncodingMeasuresAndFillsTheRoomGiven) {
    const char16_t text[] = u"a\u00E9\U0001F600z";
    EXPECT_EQ(text_encode(CODE_PAGE_UTF8, text, -1, nullptr, 0), 9);
    char bytes[9] = {};
    EXPECT_EQ(text_encode(CODE_PAGE_UTF8, text, -1, bytes, 9), 9);
    EXPECT_EQ(std::string(bytes, 9), std::string("a\xC3\xA9\xF0\x9F\x98\x80z", 9));
    EXPECT_EQ(text_encode(CODE_PAGE_UTF8, text, -1, bytes, 6), 3);
    EXPECT_EQ(text_encode(CODE_PAGE_8BIT, u"\u00E9\u00FF", 2, bytes, 9), 2);
    EXPECT_EQ(std::string(bytes, 2), "\xE9\xFF");
    EXPECT_EQ(text_encode(CODE_PAGE_UTF8, nullptr, -1, bytes, 9), 0);
}

// Decoding measures first, then fills at most the room given; a count of -1
// takes the terminator along. 8-bit bytes become the units of the same value.
TEST(TextUtf8, DecodingMeasuresAndFillsTheRoomGiven) {
    const char bytes[] = "a\xC3\xA9\xF0\x9F\x98\x80z";
    EXPECT_EQ(text_decode(CODE_PAGE_UTF8, bytes, -1, nullptr, 0), 6);
    char16_t units[8] = {u'x', u'x', u'x', u'x', u'x', u'x', u'x', u'x'};
    EXPECT_EQ(text_decode(CODE_PAGE_UTF8, bytes, -1, units, 8), 6);
    EXPECT_EQ(WideText(units, 6), WideText(u"a\u00E9\U0001F600z", 6));
    EXPECT_EQ(text_decode(CODE_PAGE_UTF8, bytes, -1, units, 3), 2); // a pair is never split
    EXPECT_EQ(text_decode(CODE_PAGE_UTF8, bytes, 3, units, 8), 2);  // a byte count ends it too
    EXPECT_EQ(text_decode(CODE_PAGE_8BIT, "\xE9\xFF", 2, units, 8), 2);
    EXPECT_EQ(WideText(units, 2), u"\u00E9\u00FF");
    EXPECT_EQ(text_decode(CODE_PAGE_UTF8, nullptr, -1, units, 8), 0);
}

// A file name's bytes that are no UTF-8 (a Latin-1 letter, an encoded
// surrogate, an overlong form) are carried as 0xDC00 + byte and come back
// as they were; a lone leading surrogate has no bytes at all.
TEST(TextFileName, BytesThatAreNoUtf8ComeBackUnchanged) {
    const std::string odd = "caf\xE9 \xED\xB2\x80 \xC0\x80.mem";
    const WideText name = text_from_file_name(odd.c_str());
    EXPECT_EQ(name, WideText(u"caf\xDCE9 \xDCED\xDCB2\xDC80 \xDCC0\xDC80.mem"));
    EXPECT_EQ(text_to_file_name(name), odd);
    EXPECT_EQ(text_from_file_name("a\xC3\xA9"), WideText(u"a\u00E9"));
    EXPECT_EQ(text_to_file_name(u"a\xD800y"), "");
}

} // namespace
