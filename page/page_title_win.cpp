#include "page/page_title_win.h"

#include <mshtml.h>

#include "base/com_win.h"

namespace tessel {

std::optional<WideString> TitleOfDocument(IDispatch* document) {
    if (!document) return std::nullopt;
    ComPtr<IHTMLDocument2> html;
    if (FAILED(document->QueryInterface(IID_PPV_ARGS(&html))) || !html) return std::nullopt;
    ScopedBstr title;
    html->get_title(title.put());  // a failed read leaves the title empty
    return title.str();
}

}  // namespace tessel
