#include "platform/Monitor.h"

#include <windows.h>

namespace platform {
namespace {

// The slots have exactly the layout of the one-pointer Windows types.
PSRWLOCK srw(void*& slot) noexcept { return reinterpret_cast<PSRWLOCK>(&slot); }
PCONDITION_VARIABLE cv(void*& slot) noexcept { return reinterpret_cast<PCONDITION_VARIABLE>(&slot); }

} // namespace

// Neither object owns anything that needs releasing.
Monitor::~Monitor() = default;

void Monitor::lock() noexcept { AcquireSRWLockExclusive(srw(lock_)); }
void Monitor::unlock() noexcept { ReleaseSRWLockExclusive(srw(lock_)); }
void Monitor::wait() noexcept { SleepConditionVariableSRW(cv(condition_), srw(lock_), INFINITE, 0); }
void Monitor::notifyAll() noexcept { WakeAllConditionVariable(cv(condition_)); }

} // namespace platform
