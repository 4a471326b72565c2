// One function run on a thread of its own, so that the window's thread keeps answering
// while it waits (a network request, a file on a slow share).
#pragma once

#include <windows.h>

#include <functional>

#include "base/handles_win.h"

namespace tessel {

class BackgroundCall {
public:
    // Starts `work` at once. Where no thread can be had, it runs here and now. The thread
    // owns the work: what it touches must be the work's own (captured by value or shared).
    explicit BackgroundCall(std::function<void()> work);
    // Waits for the work to end, unless it was detached.
    ~BackgroundCall();
    BackgroundCall(const BackgroundCall&) = delete;
    BackgroundCall& operator=(const BackgroundCall&) = delete;

    // Signalled once the work has returned; what it wrote is then visible to the waiter.
    HANDLE Done() const { return m_done.get(); }
    // Nobody will wait for the work any more: it ends on its own, or with the process.
    void Detach() { m_waits = false; }

private:
    KernelHandle m_done;
    bool m_waits = true;
};

}  // namespace tessel
