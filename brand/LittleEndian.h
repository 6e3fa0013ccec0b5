#pragma once
// Little-endian fields of the Windows file formats, read from and written
// into byte strings. A reader trusts its offset: the caller has checked it
// with fits() first.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace brand {

// Whether `length` bytes from `offset` lie within `size` bytes; never
// overflows, whatever the numbers.
constexpr bool fits(std::uint64_t size, std::uint64_t offset, std::uint64_t length) noexcept
{
    return offset <= size && length <= size - offset;
}

// `value` rounded up to a multiple of `alignment`, a power of two.
constexpr std::uint64_t alignUp(std::uint64_t value, std::uint64_t alignment) noexcept
{
    return (value + alignment - 1) & ~(alignment - 1);
}

inline std::uint16_t read16(std::string_view bytes, std::size_t at) noexcept
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}

inline std::uint32_t read32(std::string_view bytes, std::size_t at) noexcept
{
    return static_cast<std::uint32_t>(read16(bytes, at)) | static_cast<std::uint32_t>(read16(bytes, at + 2)) << 16;
}

inline void write16(std::string& bytes, std::size_t at, std::uint16_t value) noexcept
{
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

inline void write32(std::string& bytes, std::size_t at, std::uint32_t value) noexcept
{
    write16(bytes, at, static_cast<std::uint16_t>(value & 0xFFFF));
    write16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

inline void append16(std::string& bytes, std::uint16_t value)
{
    bytes.push_back(static_cast<char>(value & 0xFF));
    bytes.push_back(static_cast<char>(value >> 8));
}

inline void append32(std::string& bytes, std::uint32_t value)
{
    append16(bytes, static_cast<std::uint16_t>(value & 0xFFFF));
    append16(bytes, static_cast<std::uint16_t>(value >> 16));
}

// Zero bytes up to the next multiple of `alignment` (a power of two).
inline void padTo(std::string& bytes, std::size_t alignment)
{
    bytes.resize(static_cast<std::size_t>(alignUp(bytes.size(), alignment)), '\0');
}

} // namespace brand
