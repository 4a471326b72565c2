// The browser's events: exit words, the result document and the window title.
#include <mshtml.h>

#include "app/platform_win.h"
#include "app/tessel_dlg.h"
#include "events/page_events.h"

namespace tessel {

namespace {
constexpr wchar_t kInstallKey[] = L"SOFTWARE\\Quorvex\\Vanta Deskhub";
constexpr wchar_t kInstallValue[] = L"CommonFiles";

bool IsFile(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

void CTesselDlg::OnBeforeNavigate2(IDispatch*, VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                                   VARIANT_BOOL*) {
    const WideString text = VariantText(url);
    Trace(u"before navigate: " + text);
    if (ContainsExitWord(text)) {
        Trace(u"exit word");
        ::SendMessageW(MainWindowHandle(), WM_CLOSE, 0, 0);
    }
}

void CTesselDlg::OnDownloadComplete() {
    const WideString tool =
        ReadRegistryString(HKEY_LOCAL_MACHINE, FromW(kInstallKey), FromW(kInstallValue)) + u"\\curl.exe";
    const WideString location = m_browser.GetLocationURL();
    Trace(u"download complete: " + location);
    if (!IsResultLocation(location)) return;

    const std::string output = m_params.Lookup(std::string(keys::kOutputPath));
    if (output.empty()) {
        Trace(u"result: no output path");
        return EndDialog(0);
    }
    // A line that would not fit, or that the location could bend, is not run: the
    // result then stays on the server.
    const auto download = FormatDownloadCommand(tool, output, location);
    if (!download) {
        Trace(u"result: download command refused");
        return EndDialog(0);
    }
    Trace(u"run: " + Latin1ToWide(*download));
    const auto downloaded = RunAndWait(*download);
    Trace(u"download exit: " + Latin1ToWide(downloaded ? std::to_string(*downloaded) : "not started"));
    // The delete removes the server's only copy: only after a download that worked.
    if (!downloaded || *downloaded != 0 || !IsFile(std::string(CutAtNul(output)))) {
        Trace(u"result: download failed, nothing deleted");
        return EndDialog(0);
    }
    const auto remove =
        FormatDeleteCommand(tool, m_params.Lookup(std::string(keys::kURL)), ResultFileName(location));
    if (remove) {
        Trace(u"run: " + Latin1ToWide(*remove));
        const auto removed = RunAndWait(*remove);
        Trace(u"delete exit: " + Latin1ToWide(removed ? std::to_string(*removed) : "not started"));
    }
    EndDialog(0);
}

std::optional<WideString> DocumentTitle(IDispatch* document) {
    if (!document) return std::nullopt;
    ComPtr<IHTMLDocument2> html;
    if (FAILED(document->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(html.GetAddressOf()))) ||
        !html)
        return std::nullopt;
    ScopedBstr title;
    html->get_title(title.put());  // a failed read leaves the title empty
    return title.str();
}

void CTesselDlg::OnDocumentComplete(IDispatch*, VARIANT*) {
    ComPtr<IDispatch> document = m_browser.GetDocument();
    const auto title = DocumentTitle(document.Get());
    if (!title) return;  // no document, or not an HTML one: caption unchanged
    Trace(u"title: " + *title);
    ::SetWindowTextW(GetSafeHwnd(), W(*title));
}

}  // namespace tessel
