#include "core/core.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>

namespace {

TEST(Text, ValParsesSignsBasesAndWraps)
{
    EXPECT_EQ(text_val(u"  -42x"), -42);
    EXPECT_EQ(text_val(u"\t+17"), 17);
    EXPECT_EQ(text_val(u"$ff"), 255);
    EXPECT_EQ(text_val(u"$7fG"), 127);
    EXPECT_EQ(text_val(u"-$10"), -16);
    EXPECT_EQ(text_val(u"%1012"), 5);
    EXPECT_EQ(text_val(u"- 5"), 0);
    EXPECT_EQ(text_val(u"abc"), 0);
    EXPECT_EQ(text_val(u""), 0);
    EXPECT_EQ(text_val(u"9223372036854775807"), INT64_MAX);
    EXPECT_EQ(text_val(u"9223372036854775808"), INT64_MIN);
    EXPECT_EQ(text_val(u"-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(text_val(u"18446744073709551617"), 1);
    EXPECT_EQ(text_val(u"$FFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(text_val(WideText(u"12\0" u"34", 5)), 12);
}

TEST(Text, StrWritesDecimal)
{
    EXPECT_EQ(text_str(4294967296LL), u"4294967296");
    EXPECT_EQ(text_str(-7), u"-7");
    EXPECT_EQ(text_str(0), u"0");
    EXPECT_EQ(text_str(INT64_MIN), u"-9223372036854775808");
    EXPECT_EQ(text_str(INT64_MAX), u"9223372036854775807");
}

TEST(Text, RightAndMidClamp)
{
    EXPECT_EQ(text_right(u"ABC", 5), u"ABC");
    EXPECT_EQ(text_right(u"ABC", 2), u"BC");
    EXPECT_EQ(text_right(u"ABC", -1), u"");
    EXPECT_EQ(text_mid(u"MR00", 3, 1), u"0");
    EXPECT_EQ(text_mid(u"ABC", 0, 2), u"AB");
    EXPECT_EQ(text_mid(u"ABC", -9, 1), u"A");
    EXPECT_EQ(text_mid(u"ABC", 4, 1), u"");
    EXPECT_EQ(text_mid(u"ABC", 2, 10), u"BC");
    EXPECT_EQ(text_mid(u"ABC", 2, -3), u"");
    EXPECT_EQ(text_mid(u"ABC", INT32_MAX, INT32_MAX), u"");
}

TEST(Text, UnitsCharactersAndLengths)
{
    EXPECT_EQ(text_asc(u""), 0);
    EXPECT_EQ(text_asc(u"\xFFFF"), 65535);
    EXPECT_EQ(text_asc(u"\U0001F600"), 0xD83D);
    EXPECT_EQ(text_chr(59), u";");
    EXPECT_EQ(text_chr(0), u"");
    EXPECT_EQ(text_chr(0x10041), u"A");
    EXPECT_EQ(text_length(u"\U0001F600x"), 3);
    EXPECT_EQ(text_length(WideText(u"ab\0cd", 5)), 2);
    EXPECT_EQ(text_equal(WideText(u"ab\0cd", 5), u"ab"), 1);
    EXPECT_EQ(text_equal(u"ab", u"aB"), 0);

    EXPECT_EQ(text_byte_length(u"MW00", TEXT_8BIT), 4);
    EXPECT_EQ(text_byte_length(u"MW00", TEXT_UTF16), 8);
#ifndef _WIN32
    // One byte per unit up to 255; the others have no byte.
    EXPECT_EQ(text_byte_length(u"a\u00E9\u20AC", TEXT_8BIT), 2);
    EXPECT_EQ(text_byte_length(u"a\u00E9\u20AC", 7), 2);
#endif
    EXPECT_EQ(text_byte_length(u"a\u00E9\u20AC\U0001F600", TEXT_UTF8), 1 + 2 + 3 + 4);
}

TEST(Text, LowerCaseMapsEachUnit)
{
    std::setlocale(LC_ALL, "C.UTF-8"); // towlower follows the C library's locale
    EXPECT_EQ(text_lcase(u"MR00;Ab"), u"mr00;ab");
    EXPECT_EQ(text_lcase(u"\u00C9\u0416\U0001F600"), u"\u00E9\u0436\U0001F600");
    std::setlocale(LC_ALL, "C");
}

TEST(Text, FormatGoesThroughUtf8)
{
    EXPECT_EQ(text_format(u"MR%04d;", 7), u"MR0007;");
    EXPECT_EQ(text_format(u"\u00E9%s|%5.1f", "\xE2\x82\xAC", 2.25), u"\u00E9\u20AC|  2.2");
    EXPECT_EQ(text_format(nullptr), u"");
}

} // namespace
