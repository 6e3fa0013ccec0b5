#include "platform/Utf8Files.h"

#include "platform/CodePage_win32.h"
#include "platform/Handles.h"

#include <windows.h>

namespace platform {
namespace {

const wchar_t* units(const UniqueHeapBlock& wide) noexcept { return static_cast<const wchar_t*>(wide.get()); }

// Shared for reading with writers and deleters alike: the tool only reads,
// and must not stand in the way of a program that has the file open.
UniqueFileHandle openExisting(const std::string& path, DWORD access) noexcept
{
    UniqueHeapBlock wide;
    if (!wideFromUtf8(path, wide)) {
        return UniqueFileHandle();
    }
    return UniqueFileHandle(CreateFileW(units(wide), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

} // namespace

bool readWholeFile(const std::string& path, std::size_t limit, std::string& bytes) noexcept
{
    const UniqueFileHandle file = openExisting(path, GENERIC_READ);
    if (!file) {
        return false;
    }
    // A pipe or a device would let ReadFile wait for data that never comes.
    if (GetFileType(file.get()) != FILE_TYPE_DISK) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return false;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size)) {
        return false;
    }
    if (static_cast<std::uint64_t>(size.QuadPart) > limit || size.QuadPart > MAXDWORD) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
    }
    // One read: a disk file gives all that is asked, or up to its end when
    // it has shrunk meanwhile.
    std::string data(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD count = 0;
    if (!data.empty() && !ReadFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &count, nullptr)) {
        return false;
    }
    data.resize(count);
    bytes.swap(data);
    return true;
}

// The volume and the file index name a file whatever the path's case, its
// "." and ".." or its short form.
bool sameFile(const std::string& first, const std::string& second) noexcept
{
    const UniqueFileHandle a = openExisting(first, FILE_READ_ATTRIBUTES);
    const UniqueFileHandle b = openExisting(second, FILE_READ_ATTRIBUTES);
    BY_HANDLE_FILE_INFORMATION x, y;
    return a && b && GetFileInformationByHandle(a.get(), &x) && GetFileInformationByHandle(b.get(), &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
           x.nFileIndexLow == y.nFileIndexLow;
}

bool writeWholeFile(const std::string& path, std::string_view bytes) noexcept
{
    UniqueHeapBlock target, temporary;
    if (!wideFromUtf8(path, target)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    UniqueFileHandle file;
    for (unsigned attempt = 0; attempt < 100 && !file; ++attempt) {
        const std::string name =
            path + ".~brand" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt);
        if (!wideFromUtf8(name, temporary)) {
            return false;
        }
        file.reset(CreateFileW(units(temporary), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                               nullptr));
        if (!file && GetLastError() != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    if (!file) {
        return false;
    }
    bool written = true;
    for (std::size_t at = 0; at < bytes.size() && written;) {
        DWORD count = 0;
        written = WriteFile(file.get(), bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &count, nullptr) &&
                  count > 0;
        at += count;
    }
    // Flushed before the rename, so that a crash cannot leave the name on a
    // file whose data never reached the disk.
    written = written && FlushFileBuffers(file.get());
    file.reset();
    if (!written ||
        !MoveFileExW(units(temporary), units(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD reason = GetLastError();
        DeleteFileW(units(temporary));
        SetLastError(reason);
        return false;
    }
    return true;
}

} // namespace platform
