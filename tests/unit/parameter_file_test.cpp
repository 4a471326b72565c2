#include <gtest/gtest.h>

#include "params/parameter_file.h"

using namespace tessel;
using namespace std::literals;

namespace {
using Pairs = std::vector<std::pair<std::string, std::string>>;
std::string Ansi(std::string_view b) { return "ansi(" + std::string(b) + ")"; }
Pairs ParseFile(std::string_view bytes, std::size_t chunk = 0) {
    ParameterMap m;
    ParameterFileParser p(m, Ansi);
    if (chunk == 0) {
        p.Feed(bytes);
    } else {
        for (std::size_t i = 0; i < bytes.size(); i += chunk) p.Feed(bytes.substr(i, chunk));
    }
    p.Finish();
    return {m.begin(), m.end()};
}
// UTF-16 bytes with their mark, as PowerShell 5 and Notepad write them.
std::string Utf16(WideView text, bool little) {
    std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
    for (char16_t u : text) {
        const char lo = char(u & 0xFF), hi = char(u >> 8);
        out += little ? std::string{lo, hi} : std::string{hi, lo};
    }
    return out;
}
}  // namespace

TEST(ParameterFile, CrLfLinesAndEmptyValues) {
    EXPECT_EQ(ParseFile("ServerIP=1.2.3.4\r\nURL=http://h/v\r\nEmpty=\r\nLf=\n"),
              (Pairs{{"Empty", ""}, {"Lf", ""}, {"ServerIP", "1.2.3.4"}, {"URL", "http://h/v"}}));
}

TEST(ParameterFile, OnlyOneTrailingCrGoesAndOnlyFromValues) {
    EXPECT_EQ(ParseFile("A=x\r\r\nkey\r=v\n"), (Pairs{{"A", "x\r"}, {"key\r", "v"}}));
}

TEST(ParameterFile, KeysAreKeptRaw) {
    std::string bytes = "=rest=of\n  ServerIP=indented\n\xEF\xBB\xBFURL=bom\n#c=1\nno equals\n";
    EXPECT_EQ(ParseFile(bytes), (Pairs{{"", "rest=of"},
                                       {"  ServerIP", "indented"},
                                       {"#c", "1"},
                                       {"\xEF\xBB\xBFURL", "bom"}}));
}

TEST(ParameterFile, EncodingsWindowsToolsWrite) {
    const Pairs cyrillic = {{"Out", "C:\\\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82"}, {"ServerIP", "1"}};
    const WideString text = u"ServerIP=1\r\nOut=C:\\\u041e\u0442\u0447\u0451\u0442\r\n";
    EXPECT_EQ(ParseFile("\xEF\xBB\xBFServerIP=1\r\nOut=C:\\\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82\r\n"), cyrillic);
    EXPECT_EQ(ParseFile(Utf16(text, true)), cyrillic);
    EXPECT_EQ(ParseFile(Utf16(text, false)), cyrillic);
    // No mark: UTF-8 when all of it is; one line in the ANSI code page makes it all ANSI.
    EXPECT_EQ(ParseFile("ServerIP=1\nOut=C:\\\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82\n"), cyrillic);
    EXPECT_EQ(ParseFile("A=\xD0\x9E\n\xE9\n"), (Pairs{{"A", "\xD0\x9E"}}));
    EXPECT_EQ(ParseFile("A=\xD0\x9E\nB=caf\xE9\nC=1"),
              (Pairs{{"ansi(A)", "ansi(\xD0\x9E)"}, {"ansi(B)", "ansi(caf\xE9)"}, {"ansi(C)", "ansi(1)"}}));
    // A surrogate pair, a lone surrogate and a NUL unit in UTF-16.
    EXPECT_EQ(ParseFile(Utf16(u"A=\U0001F600\nB=x\xDC00\nC=1\0D=2\nE=\xD800"sv, true)),
              (Pairs{{"A", "\xF0\x9F\x98\x80"}, {"B", "x\xED\xB0\x80"}, {"C", "1"}, {"E", "\xED\xA0\x80"}}));
    // A mark alone, a file shorter than any mark, UTF-16 without a mark (its NULs cut every line).
    for (const char* bare : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF", "\xEF\xBB"}) EXPECT_TRUE(ParseFile(bare).empty());
    const char noMark[] = "A\0=\0" "1\0\n\0";
    EXPECT_TRUE(ParseFile(std::string_view(noMark, sizeof noMark - 1)).empty());
    const char cut[] = "A=1\0B=2\nC=3";
    EXPECT_EQ(ParseFile(std::string_view(cut, sizeof cut - 1)), (Pairs{{"A", "1"}, {"C", "3"}}));
}

TEST(ParameterFile, LastLineWithoutLfEmptyInputAndRepeatedKey) {
    EXPECT_EQ(ParseFile("K=1\nK=2"), (Pairs{{"K", "2"}}));
    EXPECT_EQ(ParseFile("A="), (Pairs{{"A", ""}}));
    EXPECT_TRUE(ParseFile("").empty());
    ParameterMap m;
    ParameterFileParser p(m);
    p.Feed("\xEF\xBB\xBFK=1\n");
    EXPECT_TRUE(m.empty()) << "entries reach the map at Finish";
    EXPECT_TRUE(ParseFile("\n\n").empty());
}

TEST(ParameterFile, ChunkingDoesNotChangeTheResult) {
    const std::string bytes =
        std::string("A=1\r\nB=2\0x=y\nC=", 15) + std::string(9000, 'c') + "\nD=4";
    const std::string utf16 = Utf16(u"A=\U0001F600\r\nB=\u00e9\0x\nC="s + WideString(3000, u'c'), false);
    for (const std::string& input : {bytes, "\xEF\xBB\xBF" + bytes, utf16}) {
        const Pairs whole = ParseFile(input);
        for (std::size_t chunk : {1u, 2u, 3u, 7u, 4096u}) EXPECT_EQ(ParseFile(input, chunk), whole) << chunk;
        EXPECT_GE(whole.size(), 3u);
    }
}

TEST(ParameterFile, LinesOver4095BytesAreTakenWhole) {
    const std::string value(5000, 'v');
    const Pairs p = ParseFile("Long=" + value + "\nNext=1\n");
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].second, value);
    EXPECT_EQ(p[1], (std::pair<std::string, std::string>{"Next", "1"}));
}
