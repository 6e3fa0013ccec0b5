#pragma once
// What each platform gives the shipped executable's own C++ runtime support
// (RuntimeSupport.cpp): heap blocks, and an end for failures that no
// exception can carry.

#include <cstddef>

namespace runtime {

// A heap block of `size` bytes (never zero), null when there is none.
void* runtimeAllocate(std::size_t size) noexcept;
// Gives back a block of runtimeAllocate; null is nothing.
void runtimeRelease(void* block) noexcept;
// Ends the process at once with the launcher's failure code, printing
// nothing (printing needs memory too) and running no exit handlers (they
// may need memory as well).
[[noreturn]] void runtimeFailure() noexcept;

} // namespace runtime
