#include "app/words.h"

#include <cctype>

namespace tessel {

namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// A JSON string from its opening quote at `pos`: the text, and `pos` past the closing quote.
std::optional<std::string> ReadString(std::string_view s, std::size_t& pos) {
    if (pos >= s.size() || s[pos] != '"') return std::nullopt;
    std::u16string units;
    std::string out;
    for (++pos; pos < s.size(); ++pos) {
        const char c = s[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++pos >= s.size()) return std::nullopt;
        switch (s[pos]) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'u': {
                if (pos + 4 >= s.size()) return std::nullopt;
                char16_t unit = 0;
                for (int i = 1; i <= 4; ++i) {
                    const int c4 = std::tolower(static_cast<unsigned char>(s[pos + i]));
                    if (!std::isxdigit(c4)) return std::nullopt;
                    unit = static_cast<char16_t>(unit * 16 + (std::isdigit(c4) ? c4 - '0' : c4 - 'a' + 10));
                }
                out += ToUtf8(WideView(&unit, 1));
                pos += 4;
                break;
            }
            default: return std::nullopt;
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
        const auto key = ReadString(file, pos);
        if (!key) continue;
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
        if (file[pos] != '"') continue;
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
