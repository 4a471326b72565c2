// The browser seam with a page of the test's choosing: what the handlers read and ask.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "winui/web_browser.h"

namespace tessel::testing {

class FakeBrowser final : public WebBrowser {
public:
    explicit FakeBrowser(WideString location = {}) : location(std::move(location)) {}

    WideString location;
    std::optional<WideString> title;  // nothing: no document, or not an HTML one
    std::optional<int> zoom;
    std::vector<std::string> calls;   // "navigate", "location", "title", "zoom", "set zoom"
    WideString navigated;             // the last address asked for

    HRESULT Navigate(const WideString& url, VARIANT*, VARIANT*) override {
        calls.push_back("navigate");
        navigated = url;
        return S_OK;
    }
    std::optional<WideString> DocumentTitle() override {
        calls.push_back("title");
        return title;
    }
    std::optional<WideString> DocumentMode() override { return std::nullopt; }
    WideString GetLocationURL() override {
        calls.push_back("location");
        return location;
    }
    std::optional<int> GetOpticalZoom() override {
        calls.push_back("zoom");
        return zoom;
    }
    IDispatch* topLevel = nullptr;  // the frame that stands for the page itself
    bool IsTopLevel(IDispatch* frame) override { return frame == topLevel; }
    HRESULT SetOpticalZoom(int percent) override {
        calls.push_back("set zoom");
        zoom = percent;
        return S_OK;
    }
};

}  // namespace tessel::testing
