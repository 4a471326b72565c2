#include "base/worker_win.h"

#include <process.h>

#include <memory>

namespace tessel {

namespace {
unsigned __stdcall RunWork(void* work) {
    const std::unique_ptr<std::function<void()>> owned(static_cast<std::function<void()>*>(work));
    (*owned)();
    return 0;
}
}  // namespace

BackgroundCall::BackgroundCall(std::function<void()> work) {
    auto owned = std::make_unique<std::function<void()>>(std::move(work));
    // _beginthreadex rather than CreateThread: the C runtime sets up the thread's own state.
    m_done.reset(reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &RunWork, owned.get(), 0, nullptr)));
    if (m_done) {
        owned.release();  // the thread's now
        return;
    }
    (*owned)();
    m_done.reset(::CreateEventW(nullptr, TRUE, TRUE, nullptr));
}

BackgroundCall::~BackgroundCall() {
    if (m_done && m_waits) ::WaitForSingleObject(m_done.get(), INFINITE);
}

}  // namespace tessel
