// Automatic proxy configuration, through WinHTTP (WinINet's own is not documented for use).
#pragma once

#include <windows.h>

#include <optional>

#include "base/text.h"

namespace tessel {

// Text the system allocated for us with GlobalAlloc; freed once.
struct GlobalText {
    wchar_t* text = nullptr;
    GlobalText() = default;
    explicit GlobalText(wchar_t* t) : text(t) {}
    GlobalText(const GlobalText&) = delete;
    GlobalText& operator=(const GlobalText&) = delete;
    ~GlobalText() {
        if (text) ::GlobalFree(text);
    }
    WideString Value() const;
};

// The proxy list the configuration script at `scriptUrl` (or, where that is empty, the one
// found by detection) gives for the address: "" for direct, nothing when none could be had.
std::optional<WideString> AutomaticProxyList(const WideString& url, const WideString& scriptUrl);

}  // namespace tessel
