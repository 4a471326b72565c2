#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "app/words.h"

using namespace tessel;

namespace {
std::string Read(const std::string& name) {
    std::ifstream in(std::string(TESSEL_SOURCE_DIR) + "/html/words/" + name, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}
}  // namespace

TEST(Words, EveryShippedLanguageHasEveryWord) {
    const auto tags = ParseLanguages(Read("languages.js"));
    for (const char* required : {"en", "de", "fr", "es", "it", "pt-BR", "nl", "pl", "cs", "sv", "tr", "ru", "uk",
                                 "el", "ja", "zh-Hans", "zh-Hant", "ko", "ar", "he"})
        EXPECT_NE(std::find(tags.begin(), tags.end(), required), tags.end()) << required;
    for (const std::string& tag : tags) {
        const auto words = ParseWords(Read(tag + ".js"));
        ASSERT_TRUE(words) << tag << ": a key is missing or a text is broken";
        EXPECT_EQ(words->tag, tag);
        EXPECT_EQ(words->rightToLeft, tag == "ar" || tag == "he") << tag;
        for (const char* key : kWordKeys) EXPECT_FALSE((*words)[key].empty()) << tag << " " << key;
    }
    EXPECT_EQ((*ParseWords(Read("de.js")))["close"], u"Schlie\u00dfen");
}

TEST(Words, FilesThatAreNotWordsGiveNone) {
    const std::string whole = Read("en.js");
    EXPECT_FALSE(ParseWords(whole.substr(0, whole.find("\"print\""))));  // a key missing
    std::string broken = whole;
    broken.replace(broken.find("\"Close\""), 7, "\"Cl\\xose\"");
    EXPECT_FALSE(ParseWords(broken));
    EXPECT_FALSE(ParseWords(""));
    for (const auto& [from, to] : {std::pair{"\"lang\"", "\"tag\""}, {"\"Close\"", "\"Cl\xE9\""}}) {
        std::string changed = whole;  // no tag; bytes that are not UTF-8
        EXPECT_FALSE(ParseWords(changed.replace(changed.find(from), std::string(from).size(), to))) << to;
    }
    // A line of a key besides the words the script would refuse: its key, its text, a text the file ends in.
    for (const char* tail : {"\"\\1\": \"x\"\n", "\"x\": \"\\1\"\n", "\"x\": \"open"})
        EXPECT_FALSE(ParseWords(whole + tail)) << tail;
    std::string escaped = whole;
    escaped.replace(escaped.find("\"Close\""), 7, "\"\\\"Cl\\u00F6se\\\\\"");
    EXPECT_EQ((*ParseWords(escaped))["close"], u"\"Cl\u00f6se\\");
}

TEST(Words, LiteralsReadAsTheScriptReadsThem) {
    const std::string whole = Read("en.js");
    // The text of "close" written as `literal`, as UTF-8; nothing where the file is refused.
    const auto close = [&](const std::string& literal) -> std::optional<std::string> {
        std::string file = whole;
        file.replace(file.find("\"Close\""), 7, literal);
        const auto words = ParseWords(file);
        return words ? std::optional<std::string>(ToUtf8((*words)["close"])) : std::nullopt;
    };
    EXPECT_EQ(close(R"("\b\f\n\r\t\v")"), "\x08\x0C\x0A\x0D\x09\x0B");
    EXPECT_EQ(close(R"("\0a\'\"\\\/\q\)" "\xC3\xA9\t\"" ), std::string("\0a'\"\\/q\xC3\xA9\t", 10));
    EXPECT_EQ(close(R"('it\'s "so"')"), "it's \"so\"");
    EXPECT_EQ(close(R"("\x41\xe9\u20AC\uD83D\uDE00")"), "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(close("\"\\uD83D\\\r\n\\uDE00\""), "\xF0\x9F\x98\x80");  // one pair across a continuation
    EXPECT_EQ(close(R"("\uD83Dx\uDE00\uDE00")"), "\xEF\xBF\xBDx\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(close("\"a\\\nb\\\rc\\\xE2\x80\xA8" "d\\\xE2\x80\xA9" "e\""), "abcde");
    for (const char* refused : {"\"a\nb\"", "\"a\rb\"", "\"a\xE2\x80\xA8" "b\"", R"("\x4")", R"("\x4g")",
                                R"("\u12")", R"("\u12G4")", R"("\u{41}")", R"("\1")", R"("\08")", R"("a\)"})
        EXPECT_FALSE(close(refused)) << refused;
}

TEST(Words, LanguageFromThePreferredList) {
    const std::vector<std::string> shipped = {"de", "en", "pt-BR", "zh-Hans", "zh-Hant", "he"};
    EXPECT_EQ(ParseLanguages("a = ['en', \"de\"]; b = ['fr'];"), (std::vector<std::string>{"en", "de"}));
    EXPECT_EQ(ChooseLanguage({"de-DE", "en-US"}, shipped), "de");  // the neutral form of a region
    EXPECT_EQ(ChooseLanguage({"DE-at"}, shipped), "de");
    EXPECT_EQ(ChooseLanguage({"pt-PT"}, shipped), "pt-BR");
    EXPECT_EQ(ChooseLanguage({"fi-FI", "he-IL"}, shipped), "he");  // the first one shipped
    EXPECT_EQ(ChooseLanguage({"fi-FI"}, shipped), "en");           // none: English
    EXPECT_EQ(ChooseLanguage({}, shipped), "en");
    EXPECT_EQ(ChooseLanguage({"zh-TW"}, shipped), "zh-Hant");
    EXPECT_EQ(ChooseLanguage({"zh-HK"}, shipped), "zh-Hant");
    EXPECT_EQ(ChooseLanguage({"zh-MO"}, shipped), "zh-Hant");
    EXPECT_EQ(ChooseLanguage({"zh-Hant-TW"}, shipped), "zh-Hant");
    EXPECT_EQ(ChooseLanguage({"zh-CN"}, shipped), "zh-Hans");
    EXPECT_EQ(ChooseLanguage({"zh-SG"}, shipped), "zh-Hans");
    EXPECT_EQ(ChooseLanguage({"de"}, {}), "en");
}
