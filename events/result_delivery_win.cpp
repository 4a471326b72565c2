#include "events/result_delivery_win.h"

#include <string>
#include <utility>

#include "base/handles_win.h"
#include "base/trace_lines.h"
#include "base/trace_win.h"
#include "base/wide_win.h"
#include "events/page_events.h"
#include "events/process_win.h"
#include "events/registry_win.h"
#include "events/transfer_commands.h"

namespace tessel {

// A working file, held open while its run lasts without sharing delete: another viewer's
// sweep cannot take it, and a file that can be deleted belongs to no live run. The tool
// writes it through a handle of its own; it goes again unless it was moved into place.
class WorkFile {
public:
    WorkFile() = default;
    WorkFile(const WorkFile&) = delete;
    WorkFile& operator=(const WorkFile&) = delete;
    ~WorkFile() { Remove(); }
    // A new, empty file; false when the name is taken or the folder cannot be written.
    bool Create(std::string path) {
        file_.reset(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file_) return false;
        path_ = std::move(path);
        return true;
    }
    const std::string& path() const { return path_; }
    // The data the tool wrote, on disk before anything relies on it.
    bool Flush() { return file_ && ::FlushFileBuffers(file_.get()); }
    // Let go so the file can be renamed.
    void Close() { file_.reset(); }
    // Moved into place: nothing to remove.
    void Release() {
        file_.reset();
        path_.clear();
    }
    void Remove() {
        file_.reset();
        if (!path_.empty()) ::DeleteFileA(path_.c_str());
        path_.clear();
    }

private:
    FileHandle file_;
    std::string path_;
};

namespace {

constexpr wchar_t kInstallKey[] = L"SOFTWARE\\Quorvex\\Vanta Deskhub";
constexpr wchar_t kInstallValue[] = L"CommonFiles";

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

std::unique_ptr<ToolRun> StartRun(const std::string& line, const char16_t* what) {
    Trace(lines::kRun + Latin1ToWide(line));
    auto run = ToolRun::Start(line);
    if (!run) TraceExit(what, std::nullopt);
    return run;
}

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::FindClose(h); }
};

}  // namespace

ResultDelivery::ResultDelivery(DeliveryRequest request)
    : request_(std::move(request)), part_(std::make_unique<WorkFile>()), head_(std::make_unique<WorkFile>()) {
    StartDownload();
}

void ResultDelivery::StartDownload() {
    if (!request_.outputPath) {
        Trace(lines::kResultNoOutputPath);
        return Finish(Delivery::NoOutputPath);
    }
    output_ = CutAtNul(*request_.outputPath);
    // Given but unreadable (a character the parameters cannot hold): a result with nowhere
    // to go is not delivered, and stays on the server.
    if (output_.empty()) {
        Trace(lines::kResultOutputPathEmpty);
        return Finish(Delivery::Failed);
    }
    if (!IsQuotablePath(output_)) {
        Trace(lines::kResultOutputPathRefused);
        return Finish(Delivery::Failed);
    }
    if (!CreatePair(output_, *part_, *head_)) {
        Trace(lines::kResultNoWorkingFile);
        return Finish(Delivery::Failed);
    }
    // A line that would not fit, or that the location could bend, is not run: the result
    // then stays on the server.
    const auto download = FormatDownloadCommand(request_.toolPath, head_->path(), part_->path(), request_.location);
    if (!download) {
        Trace(lines::kResultCommandRefused);
        return Finish(Delivery::Failed);
    }
    run_ = StartRun(*download, lines::kDownloadExit);
    if (!run_) {
        Trace(lines::kResultDownloadFailed);
        Finish(Delivery::Failed);
    }
}

ResultDelivery::~ResultDelivery() {
    if (run_) run_->Kill();  // before its files go
}

HANDLE ResultDelivery::Pending() const { return run_ ? run_->Process() : nullptr; }

void ResultDelivery::Finish(Delivery outcome) {
    run_.reset();
    outcome_ = outcome;
    part_->Remove();
    head_->Remove();
}

void ResultDelivery::Resume() {
    if (!run_) return;
    const DWORD code = run_->ExitCode();
    if (deleting_) {
        TraceExit(lines::kDeleteExit, code);
        return Finish(Delivery::Delivered);
    }
    TraceExit(lines::kDownloadExit, code);
    run_.reset();
    // curl exits 0 for a 3xx answer and saves its body; only a whole 200 is the document.
    if (!IsDeliveredDocument(code, ReadSmallFile(head_->path()))) {
        Trace(lines::kResultDownloadFailed);
        return Finish(Delivery::Failed);
    }
    AfterDownload();
}

void ResultDelivery::AfterDownload() {
    // The rename can reach the disk before the data: the data goes first, and the server's
    // copy is deleted only once ours is durable.
    if (!part_->Flush()) {
        Trace(lines::kResultNotFlushed);
        return Finish(Delivery::Failed);
    }
    part_->Close();
    if (!::MoveFileExA(part_->path().c_str(), output_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        Trace(lines::kResultNotMoved);
        return Finish(Delivery::Failed);
    }
    part_->Release();
    Trace(lines::kResultDelivered);
    SweepStaleWorkFiles();
    const auto remove = FormatDeleteCommand(request_.toolPath, request_.viewerBase, ResultFileName(request_.location));
    if (remove) {
        deleting_ = true;
        run_ = StartRun(*remove, lines::kDeleteExit);
    }
    if (!run_) Finish(Delivery::Delivered);
}

void ResultDelivery::Cancel() {
    if (!run_) return;
    run_->Kill();
    if (deleting_) {
        Trace(lines::kResultDeleteCutShort);
        return Finish(Delivery::Delivered);
    }
    Trace(lines::kResultDownloadCancelled);
    Finish(Delivery::Failed);
}

// Working files of runs that ended without cleaning up (a viewer that was killed): a live
// run holds its own open without sharing delete, so what can be deleted is stale.
void ResultDelivery::SweepStaleWorkFiles() const {
    const std::string folder(FolderOf(output_));
    WIN32_FIND_DATAA found;
    UniqueHandle<FindHandleTraits> search(::FindFirstFileA((folder + "~tessel-*").c_str(), &found));
    if (!search) return;
    int swept = 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsWorkingFileName(found.cFileName) &&
            ::DeleteFileA((folder + found.cFileName).c_str()))
            ++swept;
    } while (::FindNextFileA(search.get(), &found));
    if (swept) Trace(lines::kResultSwept + Latin1ToWide(std::to_string(swept)));
}

WideString InstalledToolPath() {
    return ReadRegistryString(HKEY_LOCAL_MACHINE, FromW(kInstallKey), FromW(kInstallValue)) + u"\\curl.exe";
}

std::optional<WideString> ResultLocation(WebBrowser& browser) {
    WideString location = browser.GetLocationURL();
    Trace(lines::kDownloadComplete + location);
    if (!IsResultLocation(location)) return std::nullopt;
    return location;
}

}  // namespace tessel
