#include "delivery/working_files.h"

#include <algorithm>

namespace tessel {

namespace {

bool AllDigits(WideView s) { return !s.empty() && s.find_first_not_of(u"0123456789") == WideView::npos; }

}  // namespace

WideView FolderOf(WideView path) {
    const std::size_t end = path.find_last_of(u"\\/:");
    return end == WideView::npos ? WideView() : path.substr(0, end + 1);
}

std::optional<unsigned long> WorkingFileOwner(WideView name) {
    constexpr WideView kPrefix = u"~tessel-";
    if (name.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
    const std::size_t dot = name.rfind(u'.');
    if (dot == WideView::npos || dot < kPrefix.size()) return std::nullopt;
    const WideView ext = name.substr(dot);
    if (ext != u".part" && ext != u".head" && ext != u".log") return std::nullopt;
    const WideView unique = name.substr(kPrefix.size(), dot - kPrefix.size());
    const std::size_t dash = unique.find(u'-');
    if (dash == WideView::npos || !AllDigits(unique.substr(0, dash)) || !AllDigits(unique.substr(dash + 1)))
        return std::nullopt;
    unsigned long long pid = 0;
    for (char16_t c : unique.substr(0, dash)) {
        pid = pid * 10 + (c - u'0');
        if (pid > 0xFFFFFFFFull) return std::nullopt;
    }
    return static_cast<unsigned long>(pid);
}

bool IsAbsoluteFolder(WideView f) {
    const auto separator = [](char16_t c) { return c == u'\\' || c == u'/'; };
    const bool drive = f.size() >= 3 && ((f[0] >= u'A' && f[0] <= u'Z') || (f[0] >= u'a' && f[0] <= u'z')) &&
                       f[1] == u':' && separator(f[2]);
    const bool share = f.size() >= 3 && separator(f[0]) && separator(f[1]) && !separator(f[2]);
    return drive || share;
}

WideString WorkingFileName(std::string_view unique, std::string_view extension) {
    return u"~tessel-" + Latin1ToWide(unique) + Latin1ToWide(extension);
}

std::optional<WideString> CurlFolder(WideView folder, WideView shortForm) {
    // MAX_PATH (260) units, terminator included, for a working file's full path.
    const auto fits = [](WideView f) { return !f.empty() && f.size() + kLongestWorkingName < 260; };
    if (fits(folder)) return WideString(folder);
    if (fits(shortForm)) return WideString(shortForm);
    return std::nullopt;
}

WideString ExtendedLengthPath(WideView path) {
    const auto separator = [](char16_t c) { return c == u'\\' || c == u'/'; };
    if (path.size() >= 4 && separator(path[0]) && separator(path[1]) && (path[2] == u'?' || path[2] == u'.') &&
        separator(path[3]))
        return WideString(path);
    // The extended form is taken literally: only backslashes separate in it.
    const auto backslashed = [](WideView p) {
        WideString out(p);
        std::replace(out.begin(), out.end(), u'/', u'\\');
        return out;
    };
    if (path.size() >= 3 && path[1] == u':' && separator(path[2])) return u"\\\\?\\" + backslashed(path);
    if (path.size() >= 3 && separator(path[0]) && separator(path[1]) && !separator(path[2]))
        return u"\\\\?\\UNC\\" + backslashed(path.substr(2));
    return WideString(path);
}

WideString PlainPath(WideView path) {
    if (path.substr(0, 8) == u"\\\\?\\UNC\\") return u"\\\\" + WideString(path.substr(8));
    if (path.substr(0, 4) == u"\\\\?\\") return WideString(path.substr(4));
    return WideString(path);
}

}  // namespace tessel
