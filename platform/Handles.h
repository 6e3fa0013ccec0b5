#pragma once
// The owners of this platform's resources. Each release keeps the thread's
// last-error value (GetLastError / errno) as it was, so a failure can still
// be reported after the cleanup that follows it.

#include "platform/UniqueResource.h"

namespace platform {

#ifdef _WIN32
using RawHandle = void*; // HANDLE, HKEY, HMODULE without <windows.h>

struct HandleTraits { // kernel objects; null is invalid
    using Value = RawHandle;
    static Value invalid() noexcept { return nullptr; }
    static void release(Value value) noexcept;
};
struct FileHandleTraits { // CreateFile, FindFirstFile; INVALID_HANDLE_VALUE is invalid
    using Value = RawHandle;
    static Value invalid() noexcept { return reinterpret_cast<Value>(static_cast<long long>(-1)); }
    static void release(Value value) noexcept;
};
struct FindHandleTraits {
    using Value = RawHandle;
    static Value invalid() noexcept { return reinterpret_cast<Value>(static_cast<long long>(-1)); }
    static void release(Value value) noexcept;
};
struct RegistryKeyTraits {
    using Value = RawHandle;
    static Value invalid() noexcept { return nullptr; }
    static void release(Value value) noexcept;
};
struct MappedViewTraits {
    using Value = void*;
    static Value invalid() noexcept { return nullptr; }
    static void release(Value value) noexcept;
};
struct MutexHoldTraits { // a mutex this thread holds (not the handle itself)
    using Value = RawHandle;
    static Value invalid() noexcept { return nullptr; }
    static void release(Value value) noexcept;
};
struct GdiObjectTraits { // fonts, brushes, bitmaps: DeleteObject
    using Value = RawHandle;
    static Value invalid() noexcept { return nullptr; }
    static void release(Value value) noexcept;
};
struct CursorTraits { // a cursor this process created (not a shared one)
    using Value = RawHandle;
    static Value invalid() noexcept { return nullptr; }
    static void release(Value value) noexcept;
};
struct WindowTraits { // a window this process created and must destroy
    using Value = RawHandle;
    static Value invalid() noexcept { return nullptr; }
    static void release(Value value) noexcept;
};
struct HeapBlockTraits { // HeapAlloc on the process heap
    using Value = void*;
    static Value invalid() noexcept { return nullptr; }
    static void release(Value value) noexcept;
};
using UniqueHandle = UniqueResource<HandleTraits>;
using UniqueHeapBlock = UniqueResource<HeapBlockTraits>;
using UniqueGdiObject = UniqueResource<GdiObjectTraits>;
using UniqueCursor = UniqueResource<CursorTraits>;
using UniqueWindow = UniqueResource<WindowTraits>;
using UniqueFileHandle = UniqueResource<FileHandleTraits>;
using UniqueFindHandle = UniqueResource<FindHandleTraits>;
using UniqueRegistryKey = UniqueResource<RegistryKeyTraits>;
using UniqueMappedView = UniqueResource<MappedViewTraits>;
// Released on the thread that took it; the mutex's handle must outlive it.
using UniqueMutexHold = UniqueResource<MutexHoldTraits>;
#else
struct FileDescriptorTraits {
    using Value = int;
    static Value invalid() noexcept { return -1; }
    static void release(Value value) noexcept;
};
using UniqueHandle = UniqueResource<FileDescriptorTraits>;
using UniqueFileHandle = UniqueResource<FileDescriptorTraits>;
#endif

} // namespace platform
