#include <gtest/gtest.h>

#include "params/command_line.h"

using namespace tessel;

namespace {
ParameterMap Parse(WideView text, bool expected = true) {
    ParameterMap m;
    EXPECT_EQ(ParseCommandLineParameters(text, m), expected);
    return m;
}
std::vector<std::pair<std::string, std::string>> Entries(const ParameterMap& m) {
    return {m.begin(), m.end()};
}
using Pairs = std::vector<std::pair<std::string, std::string>>;
}  // namespace

TEST(CommandLine, QuotedPairsWithBlanksBetween) {
    auto m = Parse(u"\"ServerIP=10.0.0.5\" \"URL=http://h/v\"\t \"InputPath=C:\\My Docs\\in.xml\"");
    EXPECT_EQ(Entries(m), (Pairs{{"InputPath", "C:\\My Docs\\in.xml"},
                                 {"ServerIP", "10.0.0.5"},
                                 {"URL", "http://h/v"}}));
}

TEST(CommandLine, UnquotedRunIsOnePieceAndUnquotedSingleIsStored) {
    EXPECT_EQ(Entries(Parse(u"ServerIP=a URL=b")), (Pairs{{"ServerIP", "a URL=b"}}));
    EXPECT_EQ(Entries(Parse(u"\"A=1\"B=2\"C=3\"")), (Pairs{{"A", "1"}, {"B", "2"}, {"C", "3"}}));
}

TEST(CommandLine, EmptyValueBlanksAroundEqualsAndRepeatedKey) {
    EXPECT_EQ(Entries(Parse(u"\"Empty=\"")), (Pairs{{"Empty", ""}}));
    // Blanks inside the quotes at the ends go; blanks at the equals sign stay.
    EXPECT_EQ(Entries(Parse(u"\"  key = v  \"")), (Pairs{{"key ", " v"}}));
    EXPECT_EQ(Entries(Parse(u"\"K=1\" \"K=2\"")), (Pairs{{"K", "2"}}));
    EXPECT_EQ(Entries(Parse(u"\"a=b=c\"")), (Pairs{{"a", "b=c"}}));
}

TEST(CommandLine, ResultIsFalseOnlyForEmptyOrQuotesOnly) {
    Parse(u"", false);
    Parse(u"\"\"", false);
    Parse(u"\"\"\"\"\"", false);
    // Pieces without a usable equals sign still count.
    EXPECT_TRUE(Parse(u"C:\\params.txt").empty());
    EXPECT_TRUE(Parse(u"\"=value\"").empty());
    EXPECT_TRUE(Parse(u"\" \"").empty());
}

TEST(CommandLine, EveryLetterReachesTheMapAsUtf8) {
    // Latin-1, Cyrillic, CJK, a pair for U+1F600, and a lone surrogate a file name may hold.
    auto m = Parse(u"\"lang=caf\u00e9\" \"OutputPath=C:\\\u041e\u0442\u0447\u0451\u0442\\\u5831\u544a.xml\" "
                   u"\"\u65e5=\U0001F600\" \"lone=a\xD800" u"b\"");
    EXPECT_EQ(Entries(m), (Pairs{{"OutputPath", "C:\\\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82\\\xE5\xA0\xB1\xE5\x91\x8A.xml"},
                                 {"lang", "caf\xC3\xA9"},
                                 {"lone", "a\xED\xA0\x80" "b"},
                                 {"\xE6\x97\xA5", "\xF0\x9F\x98\x80"}}));
    // Each comes back whole.
    EXPECT_EQ(Utf8ToWide(*m.Value("lone")), WideString(u"a\xD800" u"b"));
    EXPECT_EQ(Utf8ToWide(*m.Value("\xE6\x97\xA5")), u"\U0001F600");
}

TEST(CommandLine, WhitespaceSetIncludesNelNbspAndClassifier) {
    auto m = Parse(u"\"\u0085\u00a0A=1\u3000\"");
    EXPECT_EQ(Entries(m), (Pairs{{"A", "1"}}));
    EXPECT_EQ(Entries(Parse(u"\"\t\n\v\f\r \x08" u"A=1\x0E\r\f\v\n\t\"")), (Pairs{{"\x08" "A", "1\x0E"}}));
    ParameterMap all;
    ParseCommandLineParameters(u"\"C=\u00ff\"", all, [](char16_t) { return true; });
    EXPECT_EQ(*all.Value("C"), "\xC3\xBF");
    // U+2003 above U+00FF is trimmed only when the classifier calls it a space.
    ParameterMap n;
    ParseCommandLineParameters(u"\"B=2\u2003\"", n, [](char16_t) { return false; });
    EXPECT_EQ(*n.Value("B"), "2\xE2\x80\x83");
    ParameterMap o;
    ParseCommandLineParameters(u"\"B=2\u2003\"", o, [](char16_t c) { return c == 0x2003; });
    EXPECT_EQ(*o.Value("B"), "2");
}

TEST(CommandLine, LongKeysAndValuesAreStoredWhole) {
    WideString value(40000, u'v');
    ParameterMap m;
    ASSERT_TRUE(ParseCommandLineParameters(u"\"K=" + value + u"\"", m));
    EXPECT_EQ(m.Value("K")->size(), 40000u);
}

TEST(CommandLine, StopsAtNulUnit) {
    WideString text = u"\"A=1\"";
    text += u'\0';
    text += u"\"B=2\"";
    EXPECT_EQ(Entries(Parse(text)), (Pairs{{"A", "1"}}));
}

TEST(CommandLine, TailSkipsProgramPathQuotedOrNot) {
    EXPECT_EQ(CommandLineTail(u"\"C:\\Program Files\\v.exe\"  \"A=1\" "), u"\"A=1\" ");
    EXPECT_EQ(CommandLineTail(u"v.exe\t\"A=1\""), u"\"A=1\"");
    EXPECT_EQ(CommandLineTail(u"v.exe"), u"");
    EXPECT_EQ(CommandLineTail(u"\"unterminated"), u"");
    WideString t = u"  x ";
    TrimInPlace(t, [](char16_t c) { return c == u' '; });
    EXPECT_EQ(t, u"x");
}
