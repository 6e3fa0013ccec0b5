#pragma once
// Conversions between UTF-16 and the ANSI code page, for the few places
// where the wide call is the exact one. Windows only.

#include "platform/Handles.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Empty for empty input or when the conversion fails; characters the code
// page lacks become its default character.
std::string ansiFromWide(const wchar_t* units, std::size_t count) noexcept;
// The text as zero-terminated UTF-16 in a heap block of its own. False for
// empty text or when the conversion fails; `wide` is then untouched.
[[nodiscard]] bool wideFromAnsi(std::string_view text, UniqueHeapBlock& wide) noexcept;
// A heap block for `units` UTF-16 units; false when it cannot be had.
[[nodiscard]] bool allocateUnits(std::size_t units, UniqueHeapBlock& block) noexcept;

} // namespace platform
