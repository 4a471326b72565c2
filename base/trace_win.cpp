#include "base/trace_win.h"

#include <cstdio>

#include "base/wide_win.h"

namespace tessel {

void Trace(const WideString& text) {
    const WideString line = u"tessel: " + text + u"\n";
    ::OutputDebugStringW(W(line));
}

void TraceFailure(HRESULT hr, const char* expression, const char* file, int line) {
    char text[512];
    std::snprintf(text, sizeof text, "failed 0x%08lX: %s (%s:%d)", static_cast<unsigned long>(hr), expression, file,
                  line);
    Trace(Latin1ToWide(text));
}

}  // namespace tessel
