// The program's own words (its pages' titles and texts, its edit menu's fallback, its reasons)
// in the user's language. Each language's words are one file, html/words/<tag>.js, which
// the pages load as a script and the program reads as data: one "key": "text" a line.
// Keys and texts are string literals read as the pages' script engine (ECMAScript 5) reads
// them, so that program and pages take the same files: in either quote; \b \f \n \r \t \v,
// \0 (not before a digit), \xHH and \uHHHH (two that make a surrogate pair are one
// character; a lone surrogate becomes U+FFFD); a backslash before a line break (LF, CR, CRLF,
// U+2028, U+2029) stands for nothing, before any other character but a digit for that
// character. Other control characters may stand in a literal as they are.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"

namespace tessel {

// Every file holds every one of these, besides "lang" (its tag) and "dir" ("ltr" or "rtl").
inline constexpr const char* kWordKeys[] = {
    "connectingTitle", "connecting", "unreachable", "reasonRefused", "reasonNotFound", "reasonTimeout",
    "reasonCertificate", "retry",
    "close", "cut", "copy", "paste", "selectAll", "print", "internalError"};

struct Words {
    std::string tag;  // "de", "pt-BR", "zh-Hant"
    bool rightToLeft = false;
    std::map<std::string, WideString> text;
    // The text of a key; empty where the file lacks it.
    WideString operator[](const std::string& key) const;
};

// The words of one file, or nothing when it is not such a file or lacks a key, or when the
// script would refuse a literal on a key's line (a line break in it, a malformed \x or \u,
// an escaped digit: the legacy octal forms) or the file's bytes are not UTF-8.
std::optional<Words> ParseWords(std::string_view file);

// The tags that languages.js lists, in its order.
std::vector<std::string> ParseLanguages(std::string_view file);

// The shipped language for the user's preferred UI languages, in their order: a tag itself
// (case aside), else a shipped one of its neutral language ("de-AT" → "de", "pt" → "pt-BR");
// Chinese by script (Taiwan, Hong Kong, Macao and "Hant" traditional, the rest simplified).
// English where none is shipped.
std::string ChooseLanguage(const std::vector<std::string>& preferred, const std::vector<std::string>& shipped);

}  // namespace tessel
