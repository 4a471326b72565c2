#include "events/process_win.h"

#include "base/trace_lines.h"
#include "base/trace_win.h"
#include "base/wide_win.h"

namespace tessel {

namespace {

// Not inheritable (no security attributes): a tool holding the job's handle would keep the
// job, and so itself, alive after the viewer.
KernelHandle KillOnCloseJob() {
    KernelHandle job(::CreateJobObjectW(nullptr, nullptr));
    if (!job) return job;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
        job.reset();
    return job;
}

}  // namespace

std::unique_ptr<ToolRun> ToolRun::Start(const WideString& program, WideString commandLine,
                                        const WideString& folder) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    // Suspended until it is in the job, so no part of the run escapes it. The program is
    // named apart from its command line, so no search can pick another one; it inherits no
    // handle of ours (nor of the host's that we inherited).
    if (commandLine.empty() ||
        !::CreateProcessW(W(program), reinterpret_cast<wchar_t*>(commandLine.data()), nullptr, nullptr, FALSE,
                          CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, folder.empty() ? nullptr : W(folder), &si,
                          &pi))
        return nullptr;
    std::unique_ptr<ToolRun> run(new ToolRun());
    run->m_process.reset(pi.hProcess);
    KernelHandle thread(pi.hThread);
    run->m_job = KillOnCloseJob();
    if (!run->m_job || !::AssignProcessToJobObject(run->m_job.get(), pi.hProcess)) {
        Trace(lines::kRunWithoutJob);
        run->m_job.reset();
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
    // A killed process ends at once; the bound only keeps a stuck one from holding the window.
    ::WaitForSingleObject(m_process.get(), 5000);
}

}  // namespace tessel
