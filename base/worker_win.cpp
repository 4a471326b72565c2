#include "base/worker_win.h"

#include <process.h>

namespace tessel {

namespace {
unsigned __stdcall RunWork(void* work) {
    (*static_cast<std::function<void()>*>(work))();
    return 0;
}
}  // namespace

BackgroundCall::BackgroundCall(std::function<void()> work) : work_(std::move(work)) {
    // _beginthreadex rather than CreateThread: the C runtime sets up the thread's own state.
    done_.reset(reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &RunWork, &work_, 0, nullptr)));
    if (done_) return;
    work_();
    done_.reset(::CreateEventW(nullptr, TRUE, TRUE, nullptr));
}

BackgroundCall::~BackgroundCall() {
    if (done_) ::WaitForSingleObject(done_.get(), INFINITE);
}

}  // namespace tessel
