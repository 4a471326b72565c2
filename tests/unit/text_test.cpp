#include <gtest/gtest.h>

#include "base/text.h"

using namespace tessel;
using namespace std::literals;

TEST(Text, Utf8EachLengthAtItsBoundsSurrogatesAndNul) {
    const WideString wide = u"\x7F\x80\u07FF\u0800\uFFFF\U00010000\U0010FFFF"s + u'\0' + u"\xDC00\xD800";
    const std::string bytes = "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"s + '\0' +
                              "\xED\xB0\x80\xED\xA0\x80";  // a low then a high surrogate are no pair
    EXPECT_EQ(ToUtf8(wide), bytes);
    EXPECT_EQ(Utf8ToWide(bytes), wide);
    EXPECT_TRUE(IsValidUtf8(bytes.substr(0, 20)));
    EXPECT_TRUE(IsValidUtf8("\xED\x9F\xBF\xEE\x80\x80"));  // U+D7FF and U+E000 either side of the surrogates
}

TEST(Text, MalformedUtf8IsRefusedByteByByte) {
    // Overlong forms, values above U+10FFFF, a lead byte without its continuation: each byte
    // that starts no sequence becomes U+FFFD. Encoded surrogates come back but are not valid.
    for (const auto& [bad, wide] : {std::pair{"\xC0\xAF"s, u"\uFFFD\uFFFD"s}, {"\xC1\xBF", u"\uFFFD\uFFFD"},
                                    {"\xE0\x9F\xBF", u"\uFFFD\uFFFD\uFFFD"}, {"\xF0\x8F\xBF\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
                                    {"\xED\xA0\x80", u"\xD800"}, {"\xED\xBF\xBF", u"\xDFFF"},
                                    {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, {"\xF5\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
                                    {"\xC3(", u"\uFFFD("}}) {
        EXPECT_FALSE(IsValidUtf8(bad)) << testing::PrintToString(bad);
        EXPECT_EQ(Utf8ToWide(bad), wide) << testing::PrintToString(bad);
    }
    // Cut short where the text ends, though the bytes after it would complete the sequence.
    EXPECT_EQ(Utf8ToWide(std::string_view("a\xF0\x9F\x98\x80", 4)), u"a\uFFFD\uFFFD\uFFFD");
    EXPECT_FALSE(IsValidUtf8(std::string_view("\xE6\x97\xA5", 2)));
}

TEST(Text, PercentEncodingLatin1CutsTrimsAndSpaces) {
    EXPECT_EQ(PercentEncode("a b\xE9\x0F", [](unsigned char b) { return b != 'a' && b != 'b'; }), u"a%20b%E9%0F");
    EXPECT_EQ(Latin1ToWide("A\xE9\xFF"), u"A\u00E9\u00FF");
    EXPECT_EQ(Latin1ToUtf8("\xE9"), "\xC3\xA9");
    EXPECT_EQ(CutAtNul("ab\0c"sv), "ab");
    EXPECT_EQ(CutAtNul(u"ab\0c"sv), u"ab");
    EXPECT_EQ(TrimView(u"  a b  ", [](char16_t c) { return c == u' '; }), u"a b");
    for (char16_t space : {0x1680, 0x2000, 0x200A, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000})
        EXPECT_TRUE(PortableIsSpaceAbove00FF(space)) << space;
    for (char16_t other : {0x1FFF, 0x200B, 0x202A, 0x2060, 0x3001, 0xFEFF}) EXPECT_FALSE(PortableIsSpaceAbove00FF(other)) << other;
    EXPECT_TRUE(IsHighSurrogate(0xD800) && IsHighSurrogate(0xDBFF));
    EXPECT_FALSE(IsHighSurrogate(0xD7FF) || IsHighSurrogate(0xDC00));
}
