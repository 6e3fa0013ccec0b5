#include "platform/CodePage_win32.h"

#include <climits>

#include <windows.h>

namespace platform {

std::string ansiFromWide(const wchar_t* units, std::size_t count) noexcept
{
    if (count == 0 || count > INT_MAX) {
        return {};
    }
    const int length = static_cast<int>(count);
    const int bytes = WideCharToMultiByte(CP_ACP, 0, units, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(bytes), '\0');
    const int written = WideCharToMultiByte(CP_ACP, 0, units, length, text.data(), bytes, nullptr, nullptr);
    text.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return text;
}

std::wstring wideFromAnsi(std::string_view text) noexcept
{
    if (text.empty() || text.size() > INT_MAX) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (units <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    const int written = MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), units);
    wide.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return wide;
}

} // namespace platform
