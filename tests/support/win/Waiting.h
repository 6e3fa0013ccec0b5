#pragma once
// Waiting for a state another process or thread brings about, never for a
// time: every wait is bounded, and says whether the state came.

#include <windows.h>

// Polls `condition` until it holds or `timeoutMs` passes.
template <typename Condition>
bool waitFor(Condition condition, unsigned long timeoutMs = 10000)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount64() > end) {
            return false;
        }
        Sleep(20);
    }
}
