#include "events/result_delivery_win.h"

#include <atomic>
#include <string>
#include <utility>

#include "base/handles_win.h"
#include "base/trace_lines.h"
#include "base/trace_win.h"
#include "base/wide_win.h"
#include "base/worker_win.h"
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
    bool Create(WideString path) {
        file_.reset(::CreateFileW(W(path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file_) return false;
        path_ = std::move(path);
        return true;
    }
    const WideString& path() const { return path_; }
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
        if (!path_.empty()) ::DeleteFileW(W(path_));
        path_.clear();
    }

private:
    FileHandle file_;
    WideString path_;
};

namespace {

constexpr wchar_t kInstallKey[] = L"SOFTWARE\\Quorvex\\Vanta Deskhub";
constexpr wchar_t kInstallValue[] = L"CommonFiles";

bool NameTaken() {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

// Another name is tried only when this one is taken; any other failure is the folder's.
bool CreatePair(const WideString& folder, WorkFile& part, WorkFile& head) {
    const std::string pid = std::to_string(::GetCurrentProcessId());
    for (unsigned n = 0; n < 100; ++n) {
        const std::string unique = pid + "-" + std::to_string(n);
        if (!part.Create(folder + WorkingFileName(unique, ".part"))) {
            if (NameTaken()) continue;
            return false;
        }
        if (head.Create(folder + WorkingFileName(unique, ".head"))) return true;
        const bool taken = NameTaken();
        part.Remove();
        if (!taken) return false;
    }
    return false;
}

// A viewer that still runs may be between closing its working file and moving it: its
// files are not stale, whatever their sharing says.
bool IsLiveProcess(unsigned long pid) {
    KernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (!process) return ::GetLastError() == ERROR_ACCESS_DENIED;
    return ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

std::string ReadSmallFile(const WideString& path) {
    FileHandle file(::CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
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

std::unique_ptr<ToolRun> StartRun(const WideString& tool, const WideString& line, const WideString& folder,
                                  const char16_t* what) {
    Trace(lines::kRun + line);
    auto run = ToolRun::Start(tool, line, folder);
    if (!run) TraceExit(what, std::nullopt);
    return run;
}

// A relative "OutputPath" is the process's current directory's, as the file system reads it;
// made absolute once, so the tool's own current directory can be the output's folder.
WideString FullPath(const WideString& path) {
    const DWORD n = ::GetFullPathNameW(W(path), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    const DWORD got = ::GetFullPathNameW(W(path), n, full.data(), nullptr);
    return got == 0 || got >= n ? path : FromW(full.data(), got);
}

WideString FileNameOf(const WideString& path) { return path.substr(FolderOf(path).size()); }

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
    const WideString given(CutAtNul(*request_.outputPath));
    // Given but empty: a result with nowhere to go is not delivered, and stays on the server.
    if (given.empty()) {
        Trace(lines::kResultOutputPathEmpty);
        return Finish(Delivery::Failed);
    }
    output_ = FullPath(given);
    if (!IsQuotablePath(output_)) {
        Trace(lines::kResultOutputPathRefused);
        return Finish(Delivery::Failed);
    }
    folder_ = WideString(FolderOf(output_));
    if (request_.toolPath.empty()) {
        Trace(lines::kResultNoTool);
        return Finish(Delivery::Failed);
    }
    if (!CreatePair(folder_, *part_, *head_)) {
        Trace(lines::kResultNoWorkingFile);
        return Finish(Delivery::Failed);
    }
    // A line that would not fit, or that the location could bend, is not run: the result
    // then stays on the server.
    const auto download = FormatDownloadCommand(request_.toolPath, FileNameOf(head_->path()),
                                                FileNameOf(part_->path()), request_.location);
    if (!download) {
        Trace(lines::kResultCommandRefused);
        return Finish(Delivery::Failed);
    }
    run_ = StartRun(request_.toolPath, *download, folder_, lines::kDownloadExit);
    if (!run_) {
        Trace(lines::kResultDownloadFailed);
        Finish(Delivery::Failed);
    }
}

ResultDelivery::~ResultDelivery() {
    if (run_) run_->Kill();  // before its files go; file work still going is waited for
}

HANDLE ResultDelivery::Pending() const {
    if (run_) return run_->Process();
    return fileWork_ ? fileWork_->Done() : nullptr;
}

void ResultDelivery::Finish(Delivery outcome) {
    run_.reset();
    outcome_ = outcome;
    part_->Remove();
    head_->Remove();
}

void ResultDelivery::Resume() {
    if (fileWork_) return AfterSettling();
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

struct ResultDelivery::Settling {
    std::atomic<bool> cancelled{false};
    bool moved = false;  // read once the file work is done
};

namespace {

// Working files of runs that ended without cleaning up (a viewer that was killed): a live
// run holds its own open without sharing delete, and names them after its process.
void SweepStaleWorkFiles(const WideString& folder) {
    WIN32_FIND_DATAW found;
    UniqueHandle<FindHandleTraits> search(::FindFirstFileW(W(folder + u"~tessel-*"), &found));
    if (!search) return;
    int swept = 0;
    do {
        const WideString name = FromW(found.cFileName);
        const auto owner = WorkingFileOwner(name);
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && owner && !IsLiveProcess(*owner) &&
            ::DeleteFileW(W(folder + name)))
            ++swept;
    } while (::FindNextFileW(search.get(), &found));
    if (swept) Trace(lines::kResultSwept + Latin1ToWide(std::to_string(swept)));
}

}  // namespace

// On a slow or unreachable share these calls take their time: they run off the window's
// thread. The rename can reach the disk before the data: the data goes first, and the
// server's copy is deleted only once ours is durable.
void ResultDelivery::AfterDownload() {
    settling_ = std::make_shared<Settling>();
    fileWork_ = std::make_unique<BackgroundCall>(
        [settling = settling_, part = part_.get(), output = output_, folder = folder_] {
            if (!part->Flush()) return Trace(lines::kResultNotFlushed);
            part->Close();
            if (settling->cancelled) return Trace(lines::kResultMoveCancelled);
            if (!::MoveFileExW(W(part->path()), W(output), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                return Trace(lines::kResultNotMoved);
            part->Release();
            settling->moved = true;
            Trace(lines::kResultDelivered);
            SweepStaleWorkFiles(folder);
        });
}

void ResultDelivery::AfterSettling() {
    fileWork_.reset();
    if (!settling_->moved) return Finish(Delivery::Failed);
    // Closed while the file was moved: it is in place, and the server keeps its copy.
    if (cancelled_) return Finish(Delivery::Delivered);
    const auto remove = FormatDeleteCommand(request_.toolPath, request_.viewerBase, ResultFileName(request_.location));
    if (remove) {
        deleting_ = true;
        run_ = StartRun(request_.toolPath, *remove, folder_, lines::kDeleteExit);
    }
    if (!run_) Finish(Delivery::Delivered);
}

void ResultDelivery::Cancel() {
    if (fileWork_) {
        cancelled_ = true;
        settling_->cancelled = true;
        return;
    }
    if (!run_) return;
    run_->Kill();
    if (deleting_) {
        Trace(lines::kResultDeleteCutShort);
        return Finish(Delivery::Delivered);
    }
    Trace(lines::kResultDownloadCancelled);
    Finish(Delivery::Failed);
}

WideString InstalledToolPath() {
    const WideString folder = ReadRegistryString(HKEY_LOCAL_MACHINE, FromW(kInstallKey), FromW(kInstallValue));
    return IsAbsoluteFolder(folder) ? folder + u"\\curl.exe" : WideString();
}

std::optional<WideString> ResultLocation(WebBrowser& browser) {
    WideString location = browser.GetLocationURL();
    Trace(lines::kDownloadComplete + location);
    if (!IsResultLocation(location)) return std::nullopt;
    return location;
}

}  // namespace tessel
