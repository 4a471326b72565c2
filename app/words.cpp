#include "app/words.h"

#include <cctype>

namespace tessel {

namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Exactly `digits` hex digits at `pos`, as one UTF-16 unit.
std::optional<char16_t> HexUnit(std::string_view s, std::size_t pos, std::size_t digits) {
    if (s.size() - pos < digits) return std::nullopt;
    unsigned value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const int digit = HexValue(s[pos + i]);
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return static_cast<char16_t>(value);
}

// The length of the line break a script sees at `pos` (LF, CR, CRLF, U+2028, U+2029), or 0.
std::size_t LineBreakAt(std::string_view s, std::size_t pos) {
    if (s.compare(pos, 2, "\r\n") == 0) return 2;
    if (s[pos] == '\n' || s[pos] == '\r') return 1;
    if (s.compare(pos, 3, "\xE2\x80\xA8") == 0 || s.compare(pos, 3, "\xE2\x80\xA9") == 0) return 3;
    return 0;
}

// Escaped UTF-16 units onto the UTF-8 text: a pair of surrogates is one character, a lone
// surrogate U+FFFD.
void AppendUnits(std::string& out, std::u16string& units) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (units[i] < 0xD800 || units[i] > 0xDFFF) continue;
        if (IsHighSurrogate(units[i]) && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF)
            ++i;
        else
            units[i] = u'\uFFFD';
    }
    out += ToUtf8(units);
    units.clear();
}

// A string literal from its opening quote at `pos`, read as the pages' script engine reads
// it: its text, and `pos` past the closing quote; nothing where the script would refuse it.
std::optional<std::string> ReadString(std::string_view s, std::size_t& pos) {
    if (pos >= s.size() || !IsQuote(s[pos])) return std::nullopt;
    const char quote = s[pos];
    std::string out;
    std::u16string units;  // escaped and not yet written: a pair may come as two escapes
    for (++pos; pos < s.size();) {
        if (LineBreakAt(s, pos)) return std::nullopt;
        const char c = s[pos++];
        if (c != '\\') {
            AppendUnits(out, units);
            if (c == quote) return out;
            out += c;
            continue;
        }
        if (pos >= s.size()) return std::nullopt;
        if (const std::size_t n = LineBreakAt(s, pos)) {  // a line continued: nothing
            pos += n;
            continue;
        }
        const char e = s[pos++];
        switch (e) {
            case 'b': units += u'\b'; break;
            case 'f': units += u'\f'; break;
            case 'n': units += u'\n'; break;
            case 'r': units += u'\r'; break;
            case 't': units += u'\t'; break;
            case 'v': units += u'\v'; break;
            case 'x':
            case 'u': {
                const std::size_t digits = e == 'x' ? 2 : 4;
                const auto unit = HexUnit(s, pos, digits);
                if (!unit) return std::nullopt;
                units += *unit;
                pos += digits;
                break;
            }
            default:
                if (e == '0' && (pos >= s.size() || !IsDigit(s[pos]))) {
                    units += u'\0';
                    break;
                }
                if (IsDigit(e)) return std::nullopt;  // the legacy octal forms
                AppendUnits(out, units);
                out += e;  // any other character stands for itself
        }
    }
    return std::nullopt;
}

std::string Neutral(const std::string& tag) { return tag.substr(0, tag.find('-')); }

// Chinese goes by script, whatever the region says.
std::string Normalised(std::string tag) {
    tag = Lower(tag);
    if (Neutral(tag) != "zh") return tag;
    for (const char* traditional : {"zh-tw", "zh-hk", "zh-mo", "zh-hant"})
        if (tag.compare(0, std::string(traditional).size(), traditional) == 0) return "zh-hant";
    return "zh-hans";
}

}  // namespace

WideString Words::operator[](const std::string& key) const {
    const auto found = text.find(key);
    return found == text.end() ? WideString() : found->second;
}

std::optional<Words> ParseWords(std::string_view file) {
    Words words;
    std::size_t pos = 0;
    while ((pos = file.find('\n', pos)) != std::string_view::npos) {
        ++pos;
        while (pos < file.size() && (file[pos] == ' ' || file[pos] == '\t')) ++pos;
        if (pos >= file.size() || !IsQuote(file[pos])) continue;  // no key on this line
        const auto key = ReadString(file, pos);
        if (!key) return std::nullopt;
        while (pos < file.size() && file[pos] == ' ') ++pos;
        if (pos >= file.size() || file[pos++] != ':') continue;
        while (pos < file.size() && file[pos] == ' ') ++pos;
        const auto value = ReadString(file, pos);
        if (!value || !IsValidUtf8(*value)) return std::nullopt;
        if (*key == "lang")
            words.tag = *value;
        else if (*key == "dir")
            words.rightToLeft = *value == "rtl";
        else
            words.text[*key] = Utf8ToWide(*value);
    }
    if (words.tag.empty()) return std::nullopt;
    for (const char* key : kWordKeys)
        if (words.text.find(key) == words.text.end()) return std::nullopt;
    return words;
}

std::vector<std::string> ParseLanguages(std::string_view file) {
    std::vector<std::string> tags;
    for (std::size_t pos = file.find('['); pos != std::string_view::npos && pos < file.size(); ++pos) {
        if (file[pos] == ']') break;
        if (!IsQuote(file[pos])) continue;
        if (const auto tag = ReadString(file, pos)) tags.push_back(*tag);
        --pos;
    }
    return tags;
}

std::string ChooseLanguage(const std::vector<std::string>& preferred, const std::vector<std::string>& shipped) {
    for (const std::string& wanted : preferred) {
        const std::string tag = Normalised(wanted);
        if (tag.empty()) continue;
        for (const std::string& have : shipped)
            if (Lower(have) == tag) return have;
        for (const std::string& have : shipped)
            if (Neutral(Lower(have)) == Neutral(tag)) return have;
    }
    return "en";
}

}  // namespace tessel
