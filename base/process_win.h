// Running a program of our own choosing (curl, for the delivery) as a child process.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "base/handles_win.h"
#include "base/text.h"

namespace tessel {

// One run of a program, tied to the viewer's life: it sits in a job that ends it when the
// job's last handle closes, which happens however the viewer ends (a kill included).
class ToolRun {
public:
    // Starts the program at `program` with a command line, without a window and without
    // our handles, in `folder` (empty: ours), with our environment less the variables `leaveOut` names;
    // null when it could not be started. `input`, when not empty, is all its standard input
    // reads (through a pipe no other process can open); its output then goes nowhere. Where
    // the job cannot take it (an older Windows whose host already put the viewer in a job) it
    // runs without one.
    static std::unique_ptr<ToolRun> Start(const WideString& program, WideString commandLine,
                                          const WideString& folder, const std::string& input = {},
                                          bool (*leaveOut)(WideView entry) = nullptr);
    ToolRun(const ToolRun&) = delete;
    ToolRun& operator=(const ToolRun&) = delete;
    ~ToolRun() = default;  // closing the job ends a run still going

    // Signalled when the run has ended.
    HANDLE Process() const { return m_process.get(); }
    // Once the run has ended: its exit code.
    DWORD ExitCode() const;
    // Ends the run (its job, or its process where it has none) and returns at once; the
    // caller waits for Process() before it touches what the run may still hold open.
    void Kill();

private:
    ToolRun() = default;
    KernelHandle m_job;
    KernelHandle m_process;
};

}  // namespace tessel
