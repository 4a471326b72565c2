#include "events/result_delivery_win.h"

#include <windows.h>

#include <string>

#include "base/handles_win.h"
#include "base/trace_win.h"
#include "base/wide_win.h"
#include "events/page_events.h"
#include "events/process_win.h"
#include "events/registry_win.h"
#include "events/transfer_commands.h"

namespace tessel {

namespace {

constexpr wchar_t kInstallKey[] = L"SOFTWARE\\Quorvex\\Vanta Deskhub";
constexpr wchar_t kInstallValue[] = L"CommonFiles";

// A working file that is removed again unless it was moved into place.
class WorkFile {
public:
    WorkFile() = default;
    WorkFile(const WorkFile&) = delete;
    WorkFile& operator=(const WorkFile&) = delete;
    ~WorkFile() { Remove(); }
    // A new, empty file; false when the name is taken or the folder cannot be written.
    bool Create(std::string path) {
        FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
        if (!file) return false;
        path_ = std::move(path);
        return true;
    }
    const std::string& path() const { return path_; }
    // Moved into place (or never made): nothing to remove.
    void Release() { path_.clear(); }
    void Remove() {
        if (!path_.empty()) ::DeleteFileA(path_.c_str());
        path_.clear();
    }

private:
    std::string path_;
};

bool CreatePair(std::string_view output, WorkFile& part, WorkFile& head) {
    const std::string pid = std::to_string(::GetCurrentProcessId());
    for (unsigned n = 0; n < 100; ++n) {
        const std::string unique = pid + "-" + std::to_string(n);
        if (!part.Create(SiblingPath(output, unique, ".part"))) continue;
        if (head.Create(SiblingPath(output, unique, ".head"))) return true;
        part.Remove();
    }
    return false;
}

std::string ReadSmallFile(const std::string& path) {
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    if (!file) return bytes;
    char buffer[4096];
    DWORD n = 0;
    // A header dump is small; a bound keeps a strange one from filling memory.
    while (bytes.size() < (1u << 20) && ::ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr) && n > 0)
        bytes.append(buffer, n);
    return bytes;
}

void TraceExit(const char16_t* what, const std::optional<DWORD>& code) {
    Trace(WideString(what) + Latin1ToWide(code ? std::to_string(*code) : std::string("not started")));
}

}  // namespace

Delivery DeliverResult(ParameterMap& params, const WideString& toolPath, const WideString& location) {
    const std::string output(CutAtNul(params.Lookup(keys::kOutputPath)));
    if (output.empty()) {
        Trace(u"result: no output path");
        return Delivery::NoOutputPath;
    }
    if (!IsQuotablePath(output)) {
        Trace(u"result: output path refused");
        return Delivery::Failed;
    }
    WorkFile part, head;
    if (!CreatePair(output, part, head)) {
        Trace(u"result: no working file beside the output");
        return Delivery::Failed;
    }
    // A line that would not fit, or that the location could bend, is not run: the result
    // then stays on the server.
    const auto download = FormatDownloadCommand(toolPath, head.path(), part.path(), location);
    if (!download) {
        Trace(u"result: download command refused");
        return Delivery::Failed;
    }
    Trace(u"run: " + Latin1ToWide(*download));
    const auto downloaded = RunAndWait(*download);
    TraceExit(u"download exit: ", downloaded);
    // curl exits 0 for a 3xx answer and saves its body; only a whole 200 is the document.
    if (!downloaded || !IsDeliveredDocument(*downloaded, ReadSmallFile(head.path()))) {
        Trace(u"result: download failed, nothing deleted");
        return Delivery::Failed;
    }
    if (!::MoveFileExA(part.path().c_str(), output.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        Trace(u"result: could not move into place, nothing deleted");
        return Delivery::Failed;
    }
    part.Release();
    Trace(u"result: delivered");
    // The delete removes the server's only copy: only once the file is in place.
    const auto remove =
        FormatDeleteCommand(toolPath, params.Lookup(keys::kURL), ResultFileName(location));
    if (remove) {
        Trace(u"run: " + Latin1ToWide(*remove));
        TraceExit(u"delete exit: ", RunAndWait(*remove));
    }
    return Delivery::Delivered;
}

std::optional<int> RetrieveResult(ParameterMap& params, WebBrowser& browser) {
    const WideString tool =
        ReadRegistryString(HKEY_LOCAL_MACHINE, FromW(kInstallKey), FromW(kInstallValue)) + u"\\curl.exe";
    const WideString location = browser.GetLocationURL();
    Trace(u"download complete: " + location);
    if (!IsResultLocation(location)) return std::nullopt;
    return DeliverResult(params, tool, location) == Delivery::Failed ? kExitNotDelivered : 0;
}

}  // namespace tessel
