#include "delivery/result_delivery_win.h"

#include <initializer_list>
#include <string>
#include <utility>

#include "base/com_win.h"
#include "base/file_win.h"
#include "base/handles_win.h"
#include "base/trace_lines.h"
#include "base/trace_win.h"
#include "base/wide_win.h"
#include "base/worker_win.h"
#include "base/process_win.h"
#include "base/registry_win.h"
#include "delivery/curl_command.h"
#include "delivery/page_route_win.h"
#include "delivery/proxy_route.h"
#include "delivery/run_verdict.h"
#include "delivery/session_config.h"
#include "delivery/working_files.h"
#include "page/page_events.h"

namespace tessel {

// A working file, held open while its run lasts without sharing delete: another viewer's
// sweep cannot take it, and a file that can be deleted belongs to no live run. curl writes
// it through a handle of its own; it goes again unless it was moved into place.
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
    // Empty again, for another try.
    void Truncate() {
        if (m_file && ::SetFilePointer(m_file.get(), 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER)
            ::SetEndOfFile(m_file.get());
    }
    // The data curl wrote, on disk before anything relies on it.
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
// A killed run ends at once; the bound only keeps a stuck one from holding the program's end.
constexpr DWORD kKilledRunBoundMs = 5000;
constexpr wchar_t kInstallKey[] = L"SOFTWARE\\Quorvex\\Vanta Deskhub";
constexpr wchar_t kInstallValue[] = L"CommonFiles";

bool NameTaken() {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

// A run's working files, by one unique name: another name is tried only when this one is
// taken; any other failure is the folder's.
bool CreateSet(const WideString& folder, std::initializer_list<std::pair<WorkFile*, const char*>> files) {
    const std::string pid = std::to_string(::GetCurrentProcessId());
    for (unsigned n = 0; n < 100; ++n) {
        const std::string unique = pid + "-" + std::to_string(n);
        bool taken = false, made = true;
        for (const auto& [file, extension] : files) {
            if (file->Create(folder + WorkingFileName(unique, extension))) continue;
            taken = NameTaken();
            made = false;
            break;
        }
        if (made) return true;
        for (const auto& each : files) each.first->Remove();
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

// A relative "OutputPath" is the process's current directory's, as the file system reads it;
// made absolute once, so curl's own current directory can be the output's folder.
WideString FullPath(const WideString& path) {
    const DWORD n = ::GetFullPathNameW(W(path), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    const DWORD got = ::GetFullPathNameW(W(path), n, full.data(), nullptr);
    return got == 0 || got >= n ? path : FromW(full.data(), got);
}

// The folder's 8.3 form, where its volume keeps such names; empty where it does not.
WideString ShortForm(const WideString& extendedFolder) {
    const DWORD n = ::GetShortPathNameW(W(extendedFolder), nullptr, 0);
    if (n == 0) return {};
    std::wstring form(n, L'\0');
    const DWORD got = ::GetShortPathNameW(W(extendedFolder), form.data(), n);
    return got == 0 || got >= n ? WideString() : PlainPath(FromW(form.data(), got));
}

WideString FileNameOf(const WideString& path) { return path.substr(FolderOf(path).size()); }

unsigned long long Now() { return ::GetTickCount64(); }

}  // namespace

// The route of each run, found off the window's thread: the proxy, the session's cookies,
// the sign-in and the certificate judgement the page's own requests to that address would
// have.
struct Routes {
    TransferRoute download, remove;
    std::string downloadSession, removeSession;
};

namespace {

// "https://host:443" of an address, as the trace names a server; empty for no http(s) address.
WideString ServerOf(const WideString& address) {
    const auto parts = SplitUrl(address);
    return parts ? parts->scheme + u"://" + parts->host + u':' + Latin1ToWide(std::to_string(parts->port))
                 : WideString();
}

// Where the page's route would not go (a certificate Windows refuses), curl goes without
// the page's session and without the user's logon.
void FindRoute(const WideString& address, TransferRoute& route, std::string& session,
               const std::optional<ServerCertificate>& certificate) {
    route.proxy = SystemProxyFor(address);
    route.proxySignIn = !route.proxy.empty();
    Trace(lines::kRoute + (route.proxy.empty() ? WideString(u"direct") : route.proxy));
    const WideString server = ServerOf(address);
    if (certificate && certificate->Refused()) {
        Trace(lines::kCertificateRefused + server + u", error " + Latin1ToWide(std::to_string(certificate->error)));
        if (!SessionCookiesFor(address).empty()) Trace(lines::kSessionWithheld);
        return;
    }
    if (certificate) {
        // Not judged (the server could not be asked): curl checks it through the
        // system's store itself, before it sends anything.
        route.certificateAccepted = true;
        route.pinnedKey = certificate->pinnedKey;
        if (certificate->error)
            Trace(lines::kCertificateUnjudged + server + u", error " + Latin1ToWide(std::to_string(certificate->error)));
        else
            Trace(lines::kCertificateAccepted + server +
                  (route.pinnedKey.empty() ? WideString(u", checked by curl") : WideString(u", key pinned")));
    }
    route.serverSignIn = SilentLogonFor(address);
    if (route.serverSignIn) Trace(lines::kSignInAllowed);
    session = SessionConfig(SessionCookiesFor(address));
    route.sessionOnInput = !session.empty();
    if (route.sessionOnInput) Trace(lines::kSessionHandedOver);
}

// The server of an https address judged once for both runs where they go to the same one.
std::optional<ServerCertificate> JudgeServer(const WideString& address, const WideString& sameAs,
                                             const std::optional<ServerCertificate>& judged) {
    const WideString server = ServerOf(address);
    if (server.substr(0, 8) != u"https://") return std::nullopt;
    if (judged && server == ServerOf(sameAs)) return judged;
    return CheckServerCertificate(address);
}

}  // namespace

ResultDelivery::ResultDelivery(DeliveryRequest request)
    : m_request(std::move(request)),
      m_part(std::make_unique<WorkFile>()),
      m_head(std::make_unique<WorkFile>()),
      m_log(std::make_unique<WorkFile>()) {
    Prepare();
}

void ResultDelivery::Prepare() {
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
    const WideString full = FullPath(given);
    if (!IsQuotablePath(full)) {
        Trace(lines::kResultOutputPathRefused);
        return Finish(Delivery::Failed);
    }
    m_output = ExtendedLengthPath(full);
    m_folder = WideString(FolderOf(m_output));
    if (m_request.curlPath.empty()) {
        Trace(lines::kResultNoTool);
        return Finish(Delivery::Failed);
    }
    const WideString plainFolder(FolderOf(full));
    const auto curlFolder = CurlFolder(plainFolder, ShortForm(m_folder));
    if (!curlFolder) {
        Trace(lines::kResultFolderTooLong);
        return Finish(Delivery::Failed);
    }
    m_curlFolder = *curlFolder;
    if (!CreateSet(m_folder, {{m_part.get(), ".part"}, {m_head.get(), ".head"}, {m_log.get(), ".log"}})) {
        Trace(lines::kResultNoWorkingFile);
        return Finish(Delivery::Failed);
    }
    m_location = WideString(WithoutFragment(m_request.location));
    m_routes = std::make_shared<Routes>();
    m_step = Step::Routing;
    // The route is found for the very addresses curl is sent.
    m_routing = std::make_unique<BackgroundCall>(
        [routes = m_routes, download = DownloadAddress(m_location),
         remove = DeleteAddress(m_request.viewerBase, ResultFileName(m_location))] {
            const ComApartment com;
            const auto downloadServer = JudgeServer(download, WideString(), std::nullopt);
            FindRoute(download, routes->download, routes->downloadSession, downloadServer);
            FindRoute(remove, routes->remove, routes->removeSession, JudgeServer(remove, download, downloadServer));
        });
}

void ResultDelivery::StartDownload() {
    m_head->Truncate();
    m_part->Truncate();
    m_log->Truncate();
    // A line that would not fit, or that the location could bend, is not run: the result
    // then stays on the server.
    const auto download = FormatDownloadCommand(m_request.curlPath, Files(), m_location, m_routes->download);
    if (!download) {
        Trace(lines::kResultCommandRefused);
        return Finish(Delivery::Failed);
    }
    if (!Run(Step::Downloading, *download, m_routes->downloadSession, lines::kDownloadExit)) {
        Trace(lines::kResultDownloadFailed);
        Finish(Delivery::Failed);
    }
}

void ResultDelivery::StartDelete() {
    m_head->Truncate();
    m_log->Truncate();
    const auto remove = FormatDeleteCommand(m_request.curlPath, Files(), m_request.viewerBase,
                                            ResultFileName(m_location), m_routes->remove);
    if (!remove || !Run(Step::Deleting, *remove, m_routes->removeSession, lines::kDeleteExit))
        Finish(Delivery::Delivered);
}

// The working files by the names curl opens them in its folder.
RunFiles ResultDelivery::Files() const {
    return RunFiles{FileNameOf(m_head->path()), FileNameOf(m_part->path()), FileNameOf(m_log->path())};
}

// What the run left: its head and its message, and a challenge it did not get past.
std::pair<std::string, std::string> ResultDelivery::RunReport() const {
    std::string head = ReadWholeFile(m_head->path(), kHeaderDumpLimit).value_or("");
    std::string message = ReadWholeFile(m_log->path(), kHeaderDumpLimit).value_or("");
    if (const auto challenge = SignInChallenge(head)) Trace(lines::kSignInNotGiven + Latin1ToWide(*challenge));
    return {std::move(head), std::move(message)};
}

// One run of curl in its folder, with the session on its input; false when it could not be
// started.
bool ResultDelivery::Run(Step step, const WideString& line, const std::string& input, const char16_t* exitLine) {
    Trace(lines::kRun + line);
    m_step = step;
    m_run = ToolRun::Start(m_request.curlPath, line, m_curlFolder, input, &IsProxyVariable);
    if (!m_run) TraceExit(exitLine, std::nullopt);
    return m_run != nullptr;
}

ResultDelivery::~ResultDelivery() {
    // Past the dialog's loop, where nothing waits for it: a run still going is killed and its
    // end awaited here, within a bound, before its files go. File work still going is waited
    // for.
    if (m_run) {
        m_run->Kill();
        ::WaitForSingleObject(m_run->Process(), kKilledRunBoundMs);
    }
    if (m_routing) m_routing->Detach();  // it owns what it touches
}

HANDLE ResultDelivery::Pending() const {
    switch (m_step) {
        case Step::Routing: return m_routing->Done();
        case Step::Downloading:
        case Step::Deleting:
        case Step::EndingRun: return m_run->Process();
        case Step::WaitingToDownload:
        case Step::WaitingToDelete: return m_wait.get();
        case Step::FileWork: return m_fileWork->Done();
        case Step::Over: break;
    }
    return nullptr;
}

void ResultDelivery::Finish(Delivery outcome) {
    m_step = Step::Over;
    m_run.reset();
    m_wait.reset();
    m_outcome = outcome;
    m_part->Remove();
    m_head->Remove();
    m_log->Remove();
}

// A killed run may still hold its working files: they go once it has ended, at Resume.
void ResultDelivery::FinishOnceRunEnds(Delivery outcome) {
    if (!m_run) return Finish(outcome);
    m_step = Step::EndingRun;
    m_outcome = outcome;
}

void ResultDelivery::Resume() {
    switch (m_step) {
        case Step::Routing:
            m_routing.reset();
            m_firstTry = Now();
            return StartDownload();
        case Step::Downloading: return AfterDownload();
        case Step::WaitingToDownload: return StartDownload();
        case Step::FileWork: return AfterFileWork();
        case Step::Deleting: return AfterDelete();
        case Step::WaitingToDelete: return StartDelete();
        case Step::EndingRun: return Finish(m_outcome);
        case Step::Over: return;
    }
}

// Another try of the run after a wait that grows, while tries and time are left.
bool ResultDelivery::WaitBeforeAnotherTry() {
    const auto delay = RetryDelayMs(++m_tries, Now() - m_firstTry);
    if (!delay) return false;
    m_wait.reset(::CreateWaitableTimerW(nullptr, TRUE, nullptr));
    LARGE_INTEGER due;
    due.QuadPart = -static_cast<LONGLONG>(*delay) * 10000;  // relative, in 100 ns
    if (!m_wait || !::SetWaitableTimer(m_wait.get(), &due, 0, nullptr, nullptr, FALSE)) return false;
    Trace(lines::kRunAgain + Latin1ToWide(std::to_string(*delay)) + u" ms");
    return true;
}

void ResultDelivery::AfterDownload() {
    const DWORD code = m_run->ExitCode();
    TraceExit(lines::kDownloadExit, code);
    m_run.reset();
    const auto [head, message] = RunReport();
    switch (DownloadVerdict(code, head, message)) {
        case RunVerdict::Done: break;
        case RunVerdict::TryAgain:
            if (WaitBeforeAnotherTry()) {
                m_step = Step::WaitingToDownload;
                return;
            }
            [[fallthrough]];
        case RunVerdict::Failed:
            Trace(lines::kResultDownloadFailed);
            return Finish(Delivery::Failed);
    }
    m_tries = 0;
    StartFileWork();
}

void ResultDelivery::AfterDelete() {
    const DWORD code = m_run->ExitCode();
    TraceExit(lines::kDeleteExit, code);
    m_run.reset();
    const auto [head, message] = RunReport();
    if (DeleteVerdict(code, head, message) == RunVerdict::TryAgain &&
        WaitBeforeAnotherTry()) {
        m_step = Step::WaitingToDelete;
        return;
    }
    Finish(Delivery::Delivered);
}

struct ResultDelivery::FileWorkState {
    // Set by a close: the move stops waiting at once and moves nothing more.
    KernelHandle cancel{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    bool Cancelled() const { return ::WaitForSingleObject(cancel.get(), 0) == WAIT_OBJECT_0; }
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

bool ReadOnlyOrFolder(const WideString& path) {
    const DWORD attributes = ::GetFileAttributesW(W(path));
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
}

}  // namespace

// On a slow or unreachable share these calls take their time: they run off the window's
// thread. The rename can reach the disk before the data: the data goes first, and the
// server's copy is deleted only once ours is durable. The move is tried again while another
// program holds either file for a moment; a close ends the waiting at once.
void ResultDelivery::StartFileWork() {
    m_step = Step::FileWork;
    m_fileWorkState = std::make_shared<FileWorkState>();
    m_fileWork = std::make_unique<BackgroundCall>(
        [state = m_fileWorkState, part = m_part.get(), output = m_output, folder = m_folder] {
            if (!part->Flush()) return Trace(lines::kResultNotFlushed);
            part->Close();
            const unsigned long long began = Now();
            for (unsigned tries = 1;; ++tries) {
                if (state->Cancelled()) return Trace(lines::kResultMoveCancelled);
                if (::MoveFileExW(W(part->path()), W(output), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                    break;
                const DWORD error = ::GetLastError();
                if (!IsTransientMoveError(error, ReadOnlyOrFolder(output)) || Now() - began >= kMoveRetryMs)
                    return Trace(lines::kResultNotMoved + Latin1ToWide(std::to_string(error)));
                if (tries == 1) Trace(lines::kResultMoveHeld + Latin1ToWide(std::to_string(error)));
                ::WaitForSingleObject(state->cancel.get(), MoveRetryDelayMs(tries));
            }
            part->Release();
            state->moved = true;
            Trace(lines::kResultDelivered);
            SweepStaleWorkFiles(folder);
        });
}

void ResultDelivery::AfterFileWork() {
    m_fileWork.reset();
    if (!m_fileWorkState->moved) return Finish(Delivery::Failed);
    // Closed while the file was moved: it is in place, and the server keeps its copy.
    if (m_fileWorkState->Cancelled()) return Finish(Delivery::Delivered);
    m_firstTry = Now();
    StartDelete();
}

void ResultDelivery::Cancel() {
    switch (m_step) {
        case Step::Routing:
            Trace(lines::kResultDownloadCancelled);
            return Finish(Delivery::Failed);
        case Step::FileWork:
            ::SetEvent(m_fileWorkState->cancel.get());
            return;
        case Step::Downloading:
        case Step::WaitingToDownload:
            if (m_run) m_run->Kill();
            Trace(lines::kResultDownloadCancelled);
            return FinishOnceRunEnds(Delivery::Failed);
        case Step::Deleting:
        case Step::WaitingToDelete:
            if (m_run) m_run->Kill();
            Trace(lines::kResultDeleteCutShort);
            return FinishOnceRunEnds(Delivery::Delivered);
        case Step::EndingRun:
        case Step::Over: return;
    }
}

WideString InstalledCurlPath() {
    const auto folder = ReadRegistryString(HKEY_LOCAL_MACHINE, FromW(kInstallKey), FromW(kInstallValue));
    return folder && IsAbsoluteFolder(*folder) ? *folder + u"\\curl.exe" : WideString();
}

std::optional<WideString> ResultLocation(WebBrowser& browser) {
    WideString location = browser.GetLocationURL();
    Trace(lines::kDownloadComplete + location);
    if (!IsResultLocation(location)) return std::nullopt;
    return location;
}

}  // namespace tessel
