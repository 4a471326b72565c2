// The program's trace: invisible to users (it shows no messages of its own), readable by
// tests and by a developer through the debugger channel.
#pragma once

#include <windows.h>

#include "base/text.h"

namespace tessel {

void Trace(const WideString& text);

// A dropped HRESULT that failed, named by its place in the source; the run goes on.
void TraceFailure(HRESULT hr, const char* expression, const char* file, int line);

}  // namespace tessel

// For calls whose failure the program deliberately survives: the failure is traced, never shown.
#define TRACE_IF_FAILED(call)                                                          \
    do {                                                                            \
        const HRESULT traced_hr_ = (call);                                          \
        if (FAILED(traced_hr_)) ::tessel::TraceFailure(traced_hr_, #call, __FILE__, __LINE__); \
    } while (0)
