#include "events/page_events.h"

#include <array>

namespace tessel {

bool ContainsExitWord(WideView url) {
    static constexpr std::array<WideView, 3> kWords = {u"LogoutAndExit", u"RestartAndExit",
                                                        u"RebootAndExit"};
    for (WideView word : kWords)
        if (url.find(word) != WideView::npos) return true;
    return false;
}

bool IsResultLocation(WideView url) { return url.size() >= 4 && url.substr(url.size() - 4) == u".xml"; }

WideString ResultFileName(WideView url) {
    std::size_t end = url.size();
    while (end > 0 && url[end - 1] == u'/') --end;
    const std::size_t slash = url.rfind(u'/', end == 0 ? 0 : end - 1);
    const std::size_t begin = (slash == WideView::npos || end == 0) ? 0 : slash + 1;
    return WideString(url.substr(begin, end - begin));
}

}  // namespace tessel
