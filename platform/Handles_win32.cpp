#include "platform/Handles.h"

#include <windows.h>

namespace platform {
namespace {

// Cleanup must not disturb the error that a caller is about to report.
class PreserveLastError {
public:
    PreserveLastError() noexcept : error_(GetLastError()) {}
    ~PreserveLastError() { SetLastError(error_); }
    PreserveLastError(const PreserveLastError&) = delete;
    PreserveLastError& operator=(const PreserveLastError&) = delete;

private:
    DWORD error_;
};

} // namespace

void HandleTraits::release(Value value) noexcept
{
    PreserveLastError keep;
    CloseHandle(value);
}

void FileHandleTraits::release(Value value) noexcept
{
    PreserveLastError keep;
    CloseHandle(value);
}

void FindHandleTraits::release(Value value) noexcept
{
    PreserveLastError keep;
    FindClose(value);
}

void RegistryKeyTraits::release(Value value) noexcept
{
    PreserveLastError keep;
    RegCloseKey(static_cast<HKEY>(value));
}

void MappedViewTraits::release(Value value) noexcept
{
    PreserveLastError keep;
    UnmapViewOfFile(value);
}

void MutexHoldTraits::release(Value value) noexcept
{
    PreserveLastError keep;
    ReleaseMutex(value);
}

void HeapBlockTraits::release(Value value) noexcept
{
    PreserveLastError keep;
    HeapFree(GetProcessHeap(), 0, value);
}

void GdiObjectTraits::release(Value value) noexcept
{
    PreserveLastError keep;
    DeleteObject(static_cast<HGDIOBJ>(value));
}

void CursorTraits::release(Value value) noexcept
{
    PreserveLastError keep;
    DestroyCursor(static_cast<HCURSOR>(value));
}

void WindowTraits::release(Value value) noexcept
{
    PreserveLastError keep;
    DestroyWindow(static_cast<HWND>(value));
}

} // namespace platform
