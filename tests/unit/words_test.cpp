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
    broken.replace(broken.find("\"Close\""), 7, "\"Cl\\qose\"");
    EXPECT_FALSE(ParseWords(broken));
    EXPECT_FALSE(ParseWords(""));
    std::string escaped = whole;
    escaped.replace(escaped.find("\"Close\""), 7, "\"\\\"Cl\\u00F6se\\\\\"");
    EXPECT_EQ((*ParseWords(escaped))["close"], u"\"Cl\u00f6se\\");
}

TEST(Words, LanguageFromThePreferredList) {
    const std::vector<std::string> shipped = {"en", "de", "pt-BR", "zh-Hans", "zh-Hant", "he"};
    EXPECT_EQ(ChooseLanguage({"de-DE", "en-US"}, shipped), "de");  // the neutral form of a region
    EXPECT_EQ(ChooseLanguage({"DE-at"}, shipped), "de");
    EXPECT_EQ(ChooseLanguage({"pt-PT"}, shipped), "pt-BR");
    EXPECT_EQ(ChooseLanguage({"fi-FI", "he-IL"}, shipped), "he");  // the first one shipped
    EXPECT_EQ(ChooseLanguage({"fi-FI"}, shipped), "en");           // none: English
    EXPECT_EQ(ChooseLanguage({}, shipped), "en");
    EXPECT_EQ(ChooseLanguage({"zh-TW"}, shipped), "zh-Hant");
    EXPECT_EQ(ChooseLanguage({"zh-HK"}, shipped), "zh-Hant");
    EXPECT_EQ(ChooseLanguage({"zh-Hant-TW"}, shipped), "zh-Hant");
    EXPECT_EQ(ChooseLanguage({"zh-CN"}, shipped), "zh-Hans");
    EXPECT_EQ(ChooseLanguage({"zh-SG"}, shipped), "zh-Hans");
    EXPECT_EQ(ChooseLanguage({"de"}, {}), "en");
}
