#include "start/viewer_url.h"

namespace tessel {

WideString ComposeViewerUrl(const ParameterMap& map, NarrowToWide toWide) {
    const auto base = map.Value(keys::kURL);
    WideString url = base ? toWide(CutAtNul(*base)) : WideString();
    url += u'?';
    for (const auto& [key, value] : map) {
        if (IsReservedKey(key)) continue;
        url += toWide(CutAtNul(key));
        url += u'=';
        url += toWide(CutAtNul(value));
        url += u'&';
    }
    url.pop_back();  // the trailing '&', or the '?' when nothing was forwarded
    return url;
}

}  // namespace tessel
