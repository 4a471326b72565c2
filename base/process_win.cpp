#include "base/process_win.h"

#include <cwchar>
#include <vector>

#include "base/trace_lines.h"
#include "base/trace_win.h"
#include "base/wide_win.h"

namespace tessel {

namespace {

// Not inheritable (no security attributes): a program holding the job's handle would keep
// the job, and so itself, alive after the viewer.
KernelHandle KillOnCloseJob() {
    KernelHandle job(::CreateJobObjectW(nullptr, nullptr));
    if (!job) return job;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
        job.reset();
    return job;
}

// Our environment without the variables the caller leaves out.
std::vector<wchar_t> ChildEnvironment(bool (*leaveOut)(WideView entry)) {
    std::vector<wchar_t> block;
    if (const EnvironmentBlock ours{::GetEnvironmentStringsW()}) {
        for (const wchar_t* entry = ours.get(); *entry; entry += std::wcslen(entry) + 1)
            if (!leaveOut || !leaveOut(FromW(entry))) block.insert(block.end(), entry, entry + std::wcslen(entry) + 1);
    }
    if (block.empty()) block.push_back(L'\0');
    block.push_back(L'\0');
    return block;
}

// Inherited handles a run reads its input from and writes its output to: only these, not
// any other inheritable handle the process holds (the host's included).
class StandardHandles {
public:
    // The pipe holds all of the input at once: writing it never waits for the reader.
    explicit StandardHandles(const std::string& input) {
        SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
        if (!::CreatePipe(m_read.put(), m_write.put(), &inheritable, static_cast<DWORD>(input.size() + 4096)) ||
            !::SetHandleInformation(m_write.get(), HANDLE_FLAG_INHERIT, 0))
            return;
        m_nowhere.reset(::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                      OPEN_EXISTING, 0, nullptr));
        if (!m_nowhere) return;
        SIZE_T size = 0;
        ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        m_attributes.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(m_attributes.data());
        m_handles[0] = m_read.get();
        m_handles[1] = m_nowhere.get();
        if (!::InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
        m_list = list;
        if (!::UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, m_handles, sizeof m_handles,
                                         nullptr, nullptr))
            return;
        m_ready = true;
    }
    ~StandardHandles() {
        if (m_list) ::DeleteProcThreadAttributeList(m_list);
    }
    StandardHandles(const StandardHandles&) = delete;
    StandardHandles& operator=(const StandardHandles&) = delete;

    bool ready() const { return m_ready; }
    void Fill(STARTUPINFOEXW& si) const {
        si.StartupInfo.dwFlags |= STARTF_USESTDHANDLES;
        si.StartupInfo.hStdInput = m_read.get();
        si.StartupInfo.hStdOutput = m_nowhere.get();
        si.StartupInfo.hStdError = m_nowhere.get();
        si.lpAttributeList = m_list;
    }
    // Once the run has its own copies: ours of its end go, the input goes in whole, and the
    // end of the pipe tells it that was all.
    bool Hand(const std::string& input) {
        m_read.reset();
        m_nowhere.reset();
        DWORD written = 0;
        const bool whole = ::WriteFile(m_write.get(), input.data(), static_cast<DWORD>(input.size()), &written,
                                       nullptr) &&
                           written == input.size();
        m_write.reset();
        return whole;
    }

private:
    KernelHandle m_read, m_write;
    FileHandle m_nowhere;
    std::vector<char> m_attributes;
    LPPROC_THREAD_ATTRIBUTE_LIST m_list = nullptr;
    HANDLE m_handles[2] = {};
    bool m_ready = false;
};

}  // namespace

std::unique_ptr<ToolRun> ToolRun::Start(const WideString& program, WideString commandLine,
                                        const WideString& folder, const std::string& input,
                                        bool (*leaveOut)(WideView entry)) {
    STARTUPINFOEXW si{};
    si.StartupInfo.cb = sizeof si.StartupInfo;
    PROCESS_INFORMATION pi{};
    std::unique_ptr<StandardHandles> standard;
    DWORD flags = CREATE_NO_WINDOW | CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT;
    if (!input.empty()) {
        standard = std::make_unique<StandardHandles>(input);
        if (!standard->ready()) return nullptr;
        si.StartupInfo.cb = sizeof si;
        standard->Fill(si);
        flags |= EXTENDED_STARTUPINFO_PRESENT;
    }
    std::vector<wchar_t> environment = ChildEnvironment(leaveOut);
    // Suspended until it is in the job, so no part of the run escapes it. The program is
    // named apart from its command line, so no search can pick another one; it inherits no
    // handle of ours (nor of the host's that we inherited) but its standard ones.
    if (commandLine.empty() ||
        !::CreateProcessW(W(program), reinterpret_cast<wchar_t*>(commandLine.data()), nullptr, nullptr,
                          standard ? TRUE : FALSE, flags, environment.data(), folder.empty() ? nullptr : W(folder),
                          &si.StartupInfo, &pi))
        return nullptr;
    std::unique_ptr<ToolRun> run(new ToolRun());
    run->m_process.reset(pi.hProcess);
    KernelHandle thread(pi.hThread);
    run->m_job = KillOnCloseJob();
    if (!run->m_job || !::AssignProcessToJobObject(run->m_job.get(), pi.hProcess)) {
        Trace(lines::kRunWithoutJob);
        run->m_job.reset();
    }
    // The input goes in while the run is still suspended: where it cannot, the run is ended
    // before it ran a single instruction, so it left nothing behind.
    if (standard && !standard->Hand(input)) {
        run->Kill();
        return nullptr;
    }
    ::ResumeThread(thread.get());
    return run;
}

DWORD ToolRun::ExitCode() const {
    DWORD code = 0;
    if (!::GetExitCodeProcess(m_process.get(), &code)) code = static_cast<DWORD>(-1);
    return code;
}

void ToolRun::Kill() {
    if (!m_job || !::TerminateJobObject(m_job.get(), 1)) ::TerminateProcess(m_process.get(), 1);
}

}  // namespace tessel
