#include "params/command_line.h"

namespace tessel {

bool IsParameterSpace(char16_t c, SpaceClassifier isSpaceAbove00FF) {
    if ((c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0) return true;
    return c > 0xFF && isSpaceAbove00FF && isSpaceAbove00FF(c);
}

bool ParseCommandLineParameters(WideView text, ParameterMap& map, SpaceClassifier cls) {
    text = CutAtNul(text);
    bool counted = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == u'"') {
            ++pos;
            continue;
        }
        std::size_t end = text.find(u'"', pos);
        if (end == WideView::npos) end = text.size();
        const WideView piece =
            TrimView(text.substr(pos, end - pos), [cls](char16_t c) { return IsParameterSpace(c, cls); });
        pos = end;
        counted = true;
        const std::size_t eq = piece.find(u'=');
        if (piece.empty() || eq == WideView::npos || eq == 0) continue;
        map.Store(ToUtf8(piece.substr(0, eq)), ToUtf8(piece.substr(eq + 1)));
    }
    return counted;
}

void TrimInPlace(WideString& text, bool (*isSpace)(char16_t)) { text = WideString(TrimView(text, isSpace)); }

WideView CommandLineTail(WideView cl) {
    std::size_t i = 0;
    if (!cl.empty() && cl[0] == u'"') {
        i = cl.find(u'"', 1);
        i = (i == WideView::npos) ? cl.size() : i + 1;
    } else {
        while (i < cl.size() && cl[i] > u' ') ++i;
    }
    while (i < cl.size() && cl[i] != 0 && cl[i] <= u' ') ++i;
    return cl.substr(i);
}

}  // namespace tessel
