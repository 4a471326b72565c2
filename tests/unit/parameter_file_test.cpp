#include <gtest/gtest.h>

#include "params/parameter_file.h"

using namespace tessel;

namespace {
using Pairs = std::vector<std::pair<std::string, std::string>>;
Pairs ParseFile(std::string_view bytes, std::size_t chunk = 0) {
    ParameterMap m;
    ParameterFileParser p(m);
    if (chunk == 0) {
        p.Feed(bytes);
    } else {
        for (std::size_t i = 0; i < bytes.size(); i += chunk) p.Feed(bytes.substr(i, chunk));
    }
    p.Finish();
    return {m.begin(), m.end()};
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

TEST(ParameterFile, Utf16GivesNothingAndNulCutsTheLine) {
    const char utf16[] = "\xFF\xFE" "A\0=\0" "1\0\n\0";
    EXPECT_TRUE(ParseFile(std::string_view(utf16, sizeof utf16 - 1)).empty());
    const char cut[] = "A=1\0B=2\nC=3";
    EXPECT_EQ(ParseFile(std::string_view(cut, sizeof cut - 1)), (Pairs{{"A", "1"}, {"C", "3"}}));
}

TEST(ParameterFile, LastLineWithoutLfEmptyInputAndRepeatedKey) {
    EXPECT_EQ(ParseFile("K=1\nK=2"), (Pairs{{"K", "2"}}));
    EXPECT_TRUE(ParseFile("").empty());
    EXPECT_TRUE(ParseFile("\n\n").empty());
}

TEST(ParameterFile, ChunkingDoesNotChangeTheResult) {
    const std::string bytes =
        std::string("A=1\r\nB=2\0x=y\nC=", 15) + std::string(9000, 'c') + "\nD=4";
    const Pairs whole = ParseFile(bytes);
    for (std::size_t chunk : {1u, 2u, 3u, 7u, 4096u}) EXPECT_EQ(ParseFile(bytes, chunk), whole) << chunk;
    EXPECT_EQ(whole.size(), 4u);
}

TEST(ParameterFile, LinesOver4095BytesAreTakenWhole) {
    const std::string value(5000, 'v');
    const Pairs p = ParseFile("Long=" + value + "\nNext=1\n");
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].second, value);
    EXPECT_EQ(p[1], (std::pair<std::string, std::string>{"Next", "1"}));
}
