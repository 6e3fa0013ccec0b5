#pragma once
// The block that instances of one launcher share, and the name they meet
// under. Its layout is a contract with every other instance of the same
// executable, whatever build it is: little-endian, no padding, 1048 bytes.
//
//   offset 0   listener thread identifier (unsigned 32-bit), first instance
//   offset 4   registered message identifier (unsigned 32-bit), first instance
//   offset 8   argument area, 1040 bytes, written by each further start:
//              every argument followed by one zero byte, one more zero byte
//              ends the list, the rest zero
//
// Pure functions over bytes: no operating-system call here.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace instance {

inline constexpr std::size_t blockSize = 1048;
inline constexpr std::size_t threadIdOffset = 0;
inline constexpr std::size_t messageIdOffset = 4;
inline constexpr std::size_t argumentAreaOffset = 8;
inline constexpr std::size_t argumentAreaSize = blockSize - argumentAreaOffset; // 1040

// Little-endian 32-bit fields of the block.
void storeField(unsigned char* block, std::size_t offset, std::uint32_t value) noexcept;
std::uint32_t loadField(const unsigned char* block, std::size_t offset) noexcept;

} // namespace instance

// The name of the block and of the registered message: the launcher's full
// path with every byte 0x5C turned into 0x5F (object names may not hold a
// backslash). Byte-wise on purpose, unlike every other search of the
// launcher: a trail byte 0x5C of a double-byte character is replaced too, so
// that any instance computing the name the same way meets this one.
std::string makeInstanceName(std::string_view modulePath);

// Lays the arguments into the 1040-byte `area`. False, with the area
// untouched, when they need more than 1040 bytes counting one zero after each
// and one more at the end.
[[nodiscard]] bool writeForwardedArguments(const std::vector<std::string>& arguments, unsigned char* area) noexcept;

// The arguments found in the 1040-byte `area`, up to the first empty one:
// an empty area gives one empty text, an empty argument ends the list.
std::vector<std::string> readForwardedArguments(const unsigned char* area);
