// Words files: whatever the bytes, an accepted file's texts are whole UTF-16 and its tag UTF-8;
// and words written with every kind of escape read back as the script holds them (the same
// UTF-16 units, each lone surrogate U+FFFD), refused only when "lang" is empty.
#include <string>
#include <vector>

#include "app/words.h"
#include "fuzz_support.h"

namespace {

using tessel::WideString;

// The fuzzer's bytes one at a time, then zeros.
struct Bytes {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    unsigned Next() { return at < size ? data[at++] : 0; }
};

bool IsLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
bool IsHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }

bool Whole(const WideString& text) {
    for (size_t i = 0; i < text.size(); ++i)
        if (IsLow(text[i]) || (IsHigh(text[i]) && (++i == text.size() || !IsLow(text[i])))) return false;
    return true;
}

WideString UnitsOf(char32_t c) {
    if (c < 0x10000) return WideString(1, static_cast<char16_t>(c));
    return {static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)), static_cast<char16_t>(0xDC00 + (c & 0x3FF))};
}

std::string Hex(unsigned value, int digits, bool upper) {
    std::string out;
    const char* digit = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += digit[(value >> shift) & 0xF];
    return out;
}

// Surrogates and the characters that need care come often.
char32_t CodePoint(Bytes& in) {
    static const char32_t kTricky[] = {'"', '\'', '\\', '\n', '\r', 0x2028, 0x2029, 0, '7', 'x', 'u', 'v', '\t', 0x0B};
    switch (in.Next() % 6) {
        case 0: return in.Next() % 0x80;
        case 1: return kTricky[in.Next() % (sizeof kTricky / sizeof *kTricky)];
        case 2: return 0xD800 + ((in.Next() << 8 | in.Next()) % 0x800);
        case 3: return in.Next() << 8 | in.Next();
        case 4: return 0x10000 + ((in.Next() << 16 | in.Next() << 8 | in.Next()) % 0x100000);
        default: return 0x80 + in.Next();
    }
}

// `c` inside a literal in `quote`, written the way `how` picks where that way can write it.
void Write(std::string& out, char32_t c, bool digitNext, char quote, unsigned how) {
    const bool lineBreak = c == '\n' || c == '\r' || c == 0x2028 || c == 0x2029;
    const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
    static const std::string kEscaped = "\b\f\n\r\t\v'\"\\", kLetter = "bfnrtv'\"\\";
    const size_t single = c < 0x80 ? kEscaped.find(static_cast<char>(c)) : std::string::npos;
    switch (how % 6) {
        case 0:
            if (c == static_cast<char32_t>(quote) || c == '\\' || lineBreak || surrogate) break;
            out += tessel::ToUtf8(UnitsOf(c));
            return;
        case 2:
            if (c > 0xFF) break;
            out += "\\x" + Hex(c, 2, c & 1);
            return;
        case 3:
            if (c == 0 && !digitNext) {
                out += "\\0";
                return;
            }
            if (single == std::string::npos) break;
            out += std::string("\\") + kLetter[single];
            return;
        case 4:
            if (lineBreak || surrogate || (c < 0x80 && std::string("0123456789xubfnrtv").find(char(c)) != std::string::npos))
                break;
            out += "\\" + tessel::ToUtf8(UnitsOf(c));
            return;
        case 5: {
            static const char* kContinuations[] = {"\n", "\r", "\r\n", "\xE2\x80\xA8", "\xE2\x80\xA9"};
            out += std::string("\\") + kContinuations[(how / 6) % 5];
            Write(out, c, digitNext, quote, how / 30);
            return;
        }
    }
    // Way 1, and what the others cannot write: \u (two for a character past U+FFFF).
    for (const char16_t unit : UnitsOf(c)) out += "\\u" + Hex(unit, 4, c & 1);
}

// The literal as written; `held` gets the text the script holds for it.
std::string Literal(const std::u32string& text, Bytes& in, WideString& held) {
    const char quote = in.Next() & 1 ? '"' : '\'';
    std::string out(1, quote);
    for (size_t i = 0; i < text.size(); ++i) {
        Write(out, text[i], i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '9', quote, in.Next());
        held += UnitsOf(text[i]);
    }
    for (size_t i = 0; i < held.size(); ++i)
        if (IsHigh(held[i]) && i + 1 < held.size() && IsLow(held[i + 1])) ++i;
        else if (IsHigh(held[i]) || IsLow(held[i])) held[i] = u'\uFFFD';
    return out + quote;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (const auto words = tessel::ParseWords(std::string_view(reinterpret_cast<const char*>(data), size))) {
        FUZZ_CHECK(tessel::IsValidUtf8(words->tag));
        for (const auto& [key, text] : words->text) FUZZ_CHECK(Whole(text));
    }

    Bytes in{data, size};
    std::string file = "// made up\ntessel.words({\n";
    tessel::Words expected;
    std::vector<std::u32string> names = {U"lang", U"dir"};
    for (const char* key : tessel::kWordKeys) names.emplace_back(key, key + std::char_traits<char>::length(key));
    for (const std::u32string& name : names) {
        std::u32string text;
        if (name == U"dir")
            text = in.Next() & 1 ? U"rtl" : U"ltr";
        else
            for (unsigned n = in.Next() % 8; n > 0; --n) text += CodePoint(in);
        WideString heldKey, held;
        file += Literal(name, in, heldKey) + ": " + Literal(text, in, held) + ",\n";
        const std::string key = tessel::ToUtf8(heldKey);
        if (key == "lang")
            expected.tag = tessel::ToUtf8(held);
        else if (key == "dir")
            expected.rightToLeft = held == u"rtl";
        else
            expected.text[key] = held;
    }
    file += "});\n";
    const auto words = tessel::ParseWords(file);
    FUZZ_CHECK(words.has_value() == !expected.tag.empty());
    if (words) {
        FUZZ_CHECK(words->tag == expected.tag && words->rightToLeft == expected.rightToLeft);
        FUZZ_CHECK(words->text == expected.text);
    }
    return 0;
}
