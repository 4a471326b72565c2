#include "app/words_win.h"

#include <windows.h>

#include <cwchar>

#include "app/resource.h"
#include "base/file_win.h"
#include "base/handles_win.h"
#include "base/module_win.h"
#include "base/wide_win.h"

namespace tessel {

namespace {

// A words file is small; a bound keeps a strange one from filling memory.
constexpr std::size_t kWordsFileLimit = 64 * 1024;

WideString WordsFolder() {
    const WideString path = ModulePath();
    return path.substr(0, path.rfind(u'\\') + 1) + u"html\\words\\";
}

std::optional<Words> BuiltInEnglish() {
    HMODULE self = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(self, MAKEINTRESOURCEW(IDR_WORDS_EN), MAKEINTRESOURCEW(10));  // RT_RCDATA
    HGLOBAL loaded = found ? ::LoadResource(self, found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data) return std::nullopt;
    return ParseWords(std::string_view(static_cast<const char*>(data), ::SizeofResource(self, found)));
}

}  // namespace

std::vector<std::string> PreferredUiLanguages() {
    ULONG count = 0, units = 0;
    std::vector<std::string> tags;
    if (::GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, nullptr, &units) && units) {
        std::wstring names(units, L'\0');
        if (::GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, names.data(), &units))
            for (const wchar_t* name = names.c_str(); *name; name += std::wcslen(name) + 1)
                tags.push_back(ToUtf8(FromW(name)));
    }
    if (tags.empty()) {
        wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
        if (::LCIDToLocaleName(MAKELCID(::GetUserDefaultUILanguage(), SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0))
            tags.push_back(ToUtf8(FromW(name)));
    }
    return tags;
}

Words LoadWords(const std::vector<std::string>& preferred) {
    const WideString folder = WordsFolder();
    const auto list = ReadWholeFile(folder + u"languages.js", kWordsFileLimit);
    const std::string tag = ChooseLanguage(preferred, list ? ParseLanguages(*list) : std::vector<std::string>());
    for (const std::string& each : {tag, std::string("en")}) {
        // The tag came from the list: still, only a plain tag names a file.
        if (each.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ-") != std::string::npos)
            continue;
        const auto file = ReadWholeFile(folder + Latin1ToWide(each) + u".js", kWordsFileLimit);
        if (const auto words = file ? ParseWords(*file) : std::nullopt) return *words;
    }
    return BuiltInEnglish().value_or(Words{"en", false, {}});
}

WideString SystemMessage(unsigned long status, const wchar_t* module) {
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE |
                                         FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                     ::GetModuleHandleW(module), status, 0, reinterpret_cast<wchar_t*>(&text), 0,
                                     nullptr);
    const LocalMemory owned(text);
    WideString out = n ? FromW(text, n) : WideString();
    while (!out.empty() && (out.back() == u'\n' || out.back() == u'\r' || out.back() == u' ')) out.pop_back();
    return out;
}

}  // namespace tessel
