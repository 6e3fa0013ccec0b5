#pragma once
// Conversions between UTF-16 and the ANSI code page, for the few places
// where the wide call is the exact one. Windows only.

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Empty for empty input or when the conversion fails; characters the code
// page lacks become its default character.
std::string ansiFromWide(const wchar_t* units, std::size_t count) noexcept;
std::wstring wideFromAnsi(std::string_view text) noexcept;

} // namespace platform
