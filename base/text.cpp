#include "base/text.h"

namespace tessel {

bool PortableIsSpaceAbove00FF(char16_t c) {
    return c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
           c == 0x202F || c == 0x205F || c == 0x3000;
}

WideString Latin1ToWide(std::string_view bytes) {
    WideString out;
    out.reserve(bytes.size());
    for (unsigned char b : bytes) out.push_back(static_cast<char16_t>(b));
    return out;
}

std::string Latin1ToUtf8(std::string_view bytes) { return ToUtf8(Latin1ToWide(bytes)); }

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }

namespace {

void AppendCodePoint(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// One sequence at `i`: its code point and length, or length 0 when it is malformed.
// Surrogates are decoded (WTF-8); overlong forms and values above U+10FFFF are not.
std::pair<char32_t, std::size_t> DecodeOne(std::string_view s, std::size_t i) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) return {b, 1};
    std::size_t n = 0;
    char32_t c = 0, min = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2, c = b & 0x1F, min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3, c = b & 0x0F, min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4, c = b & 0x07, min = 0x10000;
    } else {
        return {0, 0};
    }
    if (i + n > s.size()) return {0, 0};
    for (std::size_t k = 1; k < n; ++k) {
        const unsigned char t = static_cast<unsigned char>(s[i + k]);
        if ((t & 0xC0) != 0x80) return {0, 0};
        c = (c << 6) | (t & 0x3F);
    }
    if (c < min || c > 0x10FFFF) return {0, 0};
    return {c, n};
}

}  // namespace

std::string ToUtf8(WideView text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        AppendCodePoint(out, c);
    }
    return out;
}

WideString Utf8ToWide(std::string_view bytes) {
    WideString out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto [c, n] = DecodeOne(bytes, i);
        if (n == 0) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += n;
    }
    return out;
}

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const auto [c, n] = DecodeOne(bytes, i);
        if (n == 0 || (c >= 0xD800 && c <= 0xDFFF)) return false;
        i += n;
    }
    return true;
}

std::string_view CutAtNul(std::string_view s) { return s.substr(0, s.find('\0')); }
WideView CutAtNul(WideView s) { return s.substr(0, s.find(u'\0')); }

WideString FileStem(WideView path) {
    const std::size_t sep = path.find_last_of(u"\\/");
    const WideView name = sep == WideView::npos ? path : path.substr(sep + 1);
    const std::size_t dot = name.rfind(u'.');
    return WideString(dot == WideView::npos ? name : name.substr(0, dot));
}

}  // namespace tessel
