#include "events/process_win.h"

#include "base/handles_win.h"

namespace tessel {

std::optional<DWORD> RunAndWait(std::string commandLine) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &si, &pi))
        return std::nullopt;
    KernelHandle process(pi.hProcess);
    KernelHandle thread(pi.hThread);
    ::WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    if (!::GetExitCodeProcess(process.get(), &code)) code = static_cast<DWORD>(-1);
    process.reset();  // the process handle, then the thread handle
    thread.reset();
    return code;
}

}  // namespace tessel
