#include "platform/CodePage_win32.h"

#include <climits>

#include <windows.h>

namespace platform {
namespace {

std::string narrowFromWide(UINT codePage, const wchar_t* units, std::size_t count) noexcept
{
    if (count == 0 || count > INT_MAX) {
        return {};
    }
    const int length = static_cast<int>(count);
    const int bytes = WideCharToMultiByte(codePage, 0, units, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(bytes), '\0');
    const int written = WideCharToMultiByte(codePage, 0, units, length, text.data(), bytes, nullptr, nullptr);
    text.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return text;
}

bool wideFromNarrow(UINT codePage, std::string_view text, UniqueHeapBlock& wide) noexcept
{
    if (text.empty() || text.size() > INT_MAX) {
        return false;
    }
    const int length = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    UniqueHeapBlock block;
    if (units <= 0 || !allocateUnits(static_cast<std::size_t>(units) + 1, block)) {
        return false;
    }
    auto* converted = static_cast<wchar_t*>(block.get());
    const int written = MultiByteToWideChar(codePage, 0, text.data(), length, converted, units);
    if (written <= 0) {
        return false;
    }
    converted[written] = L'\0';
    wide = std::move(block);
    return true;
}

} // namespace

std::string ansiFromWide(const wchar_t* units, std::size_t count) noexcept
{
    return narrowFromWide(CP_ACP, units, count);
}

std::string utf8FromWide(const wchar_t* units, std::size_t count) noexcept
{
    return narrowFromWide(CP_UTF8, units, count);
}

bool allocateUnits(std::size_t units, UniqueHeapBlock& block) noexcept
{
    void* allocated = units > SIZE_MAX / sizeof(wchar_t) ? nullptr : HeapAlloc(GetProcessHeap(), 0, units * sizeof(wchar_t));
    if (allocated == nullptr) {
        return false;
    }
    block.reset(allocated);
    return true;
}

bool wideFromAnsi(std::string_view text, UniqueHeapBlock& wide) noexcept
{
    return wideFromNarrow(CP_ACP, text, wide);
}

bool wideFromUtf8(std::string_view text, UniqueHeapBlock& wide) noexcept
{
    return wideFromNarrow(CP_UTF8, text, wide);
}

} // namespace platform
