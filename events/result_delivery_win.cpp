#include "events/result_delivery_win.h"

#include <atomic>
#include <string>
#include <utility>

#include "base/file_win.h"
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
        m_file.reset(::CreateFileW(W(path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!m_file) return false;
        m_path = std::move(path);
        return true;
    }
    const WideString& path() const { return m_path; }
    // The data the tool wrote, on disk before anything relies on it.
    bool Flush() { return m_file && ::FlushFileBuffers(m_file.get()); }
    // Let go so the file can be renamed.
    void Close() { m_file.reset(); }
    // Moved into place: nothing to remove.
    void Release() {
        m_file.reset();
        m_path.clear();
    }
    void Remove() {
        m_file.reset();
        if (!m_path.empty()) ::DeleteFileW(W(m_path));
        m_path.clear();
    }

private:
    FileHandle m_file;
    WideString m_path;
};

namespace {

// A header dump is small; a bound keeps a strange one from filling memory.
constexpr std::size_t kHeaderDumpLimit = 1u << 20;
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

}  // namespace

ResultDelivery::ResultDelivery(DeliveryRequest request)
    : m_request(std::move(request)), m_part(std::make_unique<WorkFile>()), m_head(std::make_unique<WorkFile>()) {
    StartDownload();
}

void ResultDelivery::StartDownload() {
    if (!m_request.outputPath) {
        Trace(lines::kResultNoOutputPath);
        return Finish(Delivery::NoOutputPath);
    }
    const WideString given(CutAtNul(*m_request.outputPath));
    // Given but empty: a result with nowhere to go is not delivered, and stays on the server.
    if (given.empty()) {
        Trace(lines::kResultOutputPathEmpty);
        return Finish(Delivery::Failed);
    }
    m_output = FullPath(given);
    if (!IsQuotablePath(m_output)) {
        Trace(lines::kResultOutputPathRefused);
        return Finish(Delivery::Failed);
    }
    m_folder = WideString(FolderOf(m_output));
    if (m_request.toolPath.empty()) {
        Trace(lines::kResultNoTool);
        return Finish(Delivery::Failed);
    }
    if (!CreatePair(m_folder, *m_part, *m_head)) {
        Trace(lines::kResultNoWorkingFile);
        return Finish(Delivery::Failed);
    }
    // A line that would not fit, or that the location could bend, is not run: the result
    // then stays on the server.
    const auto download = FormatDownloadCommand(m_request.toolPath, FileNameOf(m_head->path()),
                                                FileNameOf(m_part->path()), m_request.location);
    if (!download) {
        Trace(lines::kResultCommandRefused);
        return Finish(Delivery::Failed);
    }
    m_run = StartRun(m_request.toolPath, *download, m_folder, lines::kDownloadExit);
    if (!m_run) {
        Trace(lines::kResultDownloadFailed);
        Finish(Delivery::Failed);
    }
}

ResultDelivery::~ResultDelivery() {
    if (m_run) m_run->Kill();  // before its files go; file work still going is waited for
}

HANDLE ResultDelivery::Pending() const {
    if (m_run) return m_run->Process();
    return m_fileWork ? m_fileWork->Done() : nullptr;
}

void ResultDelivery::Finish(Delivery outcome) {
    m_run.reset();
    m_outcome = outcome;
    m_part->Remove();
    m_head->Remove();
}

void ResultDelivery::Resume() {
    if (m_fileWork) return AfterSettling();
    if (!m_run) return;
    const DWORD code = m_run->ExitCode();
    if (m_deleting) {
        TraceExit(lines::kDeleteExit, code);
        return Finish(Delivery::Delivered);
    }
    TraceExit(lines::kDownloadExit, code);
    m_run.reset();
    // curl exits 0 for a 3xx answer and saves its body; only a whole 200 is the document.
    if (!IsDeliveredDocument(code, ReadWholeFile(m_head->path(), kHeaderDumpLimit).value_or(""))) {
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
    FindHandle search(::FindFirstFileW(W(folder + u"~tessel-*"), &found));
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
    m_settling = std::make_shared<Settling>();
    m_fileWork = std::make_unique<BackgroundCall>(
        [settling = m_settling, part = m_part.get(), output = m_output, folder = m_folder] {
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
    m_fileWork.reset();
    if (!m_settling->moved) return Finish(Delivery::Failed);
    // Closed while the file was moved: it is in place, and the server keeps its copy.
    if (m_settling->cancelled) return Finish(Delivery::Delivered);
    const auto remove = FormatDeleteCommand(m_request.toolPath, m_request.viewerBase, ResultFileName(m_request.location));
    if (remove) {
        m_deleting = true;
        m_run = StartRun(m_request.toolPath, *remove, m_folder, lines::kDeleteExit);
    }
    if (!m_run) Finish(Delivery::Delivered);
}

void ResultDelivery::Cancel() {
    if (m_fileWork) {
        m_settling->cancelled = true;
        return;
    }
    if (!m_run) return;
    m_run->Kill();
    if (m_deleting) {
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
