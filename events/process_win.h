// Running the transfer tool.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace tessel {

// Starts a command line without a window, inheriting handles, and waits for its end (the
// tool's own bounds limit how long). The exit code, or empty when it could not be started.
std::optional<DWORD> RunAndWait(std::string commandLine);

}  // namespace tessel
