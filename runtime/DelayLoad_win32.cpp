// Binds the window system's functions at their first call. USER32, GDI32,
// COMCTL32, SHELL32 and OLE32 are imported through delay-load libraries
// (cmake/DelayImports.cmake), so an ordinary launch, which shows no window,
// never loads them; the JRE Not Found dialog and the single-instance
// messages load them when they first call one. ADVAPI32 too, which only the
// registry scan and the service mode need (and which, under wine, brings
// USER32 along). The linker's thunk for such a
// function calls the helper below with the DLL's descriptor and the
// function's slot, then jumps to what the helper returns.

#include <cstddef>

#include <windows.h>

#include <delayimp.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

// The descriptor's fields are offsets from the image base, or addresses in
// the descriptors of older linkers.
template <typename T>
T* descriptorField(const ImgDelayDescr& descriptor, RVA field) noexcept
{
    if ((descriptor.grAttrs & dlattrRva) == 0) {
        return reinterpret_cast<T*>(static_cast<UINT_PTR>(field));
    }
    return reinterpret_cast<T*>(reinterpret_cast<char*>(&__ImageBase) + field);
}

// From the system folder only, never from the launcher's folder or the
// current directory: a DLL planted beside a product must not run. The name
// alone, restricted to the system folder, still lets the manifest's side-by-
// side common controls apply; systems without that restriction take the
// full path instead.
HMODULE loadSystemLibrary(const char* name) noexcept
{
    const HMODULE module = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) {
        return module;
    }
    char path[MAX_PATH];
    const UINT folder = GetSystemDirectoryA(path, MAX_PATH);
    const std::size_t nameLength = lstrlenA(name);
    if (folder == 0 || folder + 1 + nameLength >= MAX_PATH) {
        return nullptr;
    }
    path[folder] = '\\';
    CopyMemory(path + folder + 1, name, nameLength + 1);
    return LoadLibraryA(path);
}

} // namespace

// Two threads may bind the same function at once: each loads the DLL (the
// loader counts both) and stores the same addresses, so no lock is needed.
// A system DLL that cannot be loaded, or lacks a function the launcher calls,
// leaves nothing to go on with: the process ends with the failure code.
extern "C" FARPROC WINAPI __delayLoadHelper2(PCImgDelayDescr descriptor, FARPROC* slot)
{
    auto* module = descriptorField<HMODULE>(*descriptor, descriptor->rvaHmod);
    if (*module == nullptr) {
        const HMODULE loaded = loadSystemLibrary(descriptorField<const char>(*descriptor, descriptor->rvaDLLName));
        if (loaded == nullptr) {
            ExitProcess(static_cast<UINT>(-1));
        }
        *module = loaded;
    }
    const auto* slots = descriptorField<FARPROC>(*descriptor, descriptor->rvaIAT);
    const auto* names = descriptorField<IMAGE_THUNK_DATA>(*descriptor, descriptor->rvaINT);
    const IMAGE_THUNK_DATA& entry = names[slot - slots];
    const char* name = IMAGE_SNAP_BY_ORDINAL(entry.u1.Ordinal)
                           ? MAKEINTRESOURCEA(IMAGE_ORDINAL(entry.u1.Ordinal))
                           : descriptorField<IMAGE_IMPORT_BY_NAME>(*descriptor, static_cast<RVA>(entry.u1.AddressOfData))->Name;
    const FARPROC function = GetProcAddress(*module, name);
    if (function == nullptr) {
        ExitProcess(static_cast<UINT>(-1));
    }
    *slot = function;
    return function;
}
