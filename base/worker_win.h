// One function run on a thread of its own, so that the window's thread keeps answering
// while it waits (a network request, for one).
#pragma once

#include <windows.h>

#include <functional>

#include "base/handles_win.h"

namespace tessel {

class BackgroundCall {
public:
    // Starts `work` at once. Where no thread can be had, it runs here and now.
    explicit BackgroundCall(std::function<void()> work);
    // Waits for the work to end: nothing it touches may go before it.
    ~BackgroundCall();
    BackgroundCall(const BackgroundCall&) = delete;
    BackgroundCall& operator=(const BackgroundCall&) = delete;

    // Signalled once the work has returned; what it wrote is then visible to the waiter.
    HANDLE Done() const { return done_.get(); }

private:
    std::function<void()> work_;
    KernelHandle done_;
};

}  // namespace tessel
