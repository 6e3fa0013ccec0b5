#pragma once
// Conversions between UTF-16 and the ANSI code page, for the few places
// where the wide call is the exact one, and between UTF-16 and UTF-8, for a
// tool that names files and texts in any language (Utf8Files.h). Windows
// only.

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
// The same between UTF-16 and UTF-8. A unit that is no character (a lone
// surrogate, a byte that is no UTF-8) becomes U+FFFD.
std::string utf8FromWide(const wchar_t* units, std::size_t count) noexcept;
[[nodiscard]] bool wideFromUtf8(std::string_view text, UniqueHeapBlock& wide) noexcept;
// A heap block for `units` UTF-16 units; false when it cannot be had.
[[nodiscard]] bool allocateUnits(std::size_t units, UniqueHeapBlock& block) noexcept;

} // namespace platform
