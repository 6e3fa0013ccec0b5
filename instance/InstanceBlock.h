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

// The answer to a hand-over, beside the block: a first instance of this
// build makes "~answer", a mapping of one 32-bit word, and "~answered", an
// auto-reset event. A further start that finds them while it holds the turn
// sets the word to asking before it posts, and keeps the turn until it has
// its answer. The listener moves the word from asking to seen as it copies
// the arguments; then exactly one side moves it once more, whichever gets
// there first: the first instance to taken or refused (and signals the
// event) when its program takes or cannot take the arguments, the further
// start to withdrawn when it stops waiting. So the further start ends with
// 0 exactly when the program takes them. A hand-over that does not find the
// word asking (a peer that knows none of this) gets no answer, and its
// arguments are handed on as they always were.
enum class Verdict : std::uint32_t { idle = 0, asking = 1, seen = 2, taken = 3, refused = 4, withdrawn = 5 };
inline constexpr std::size_t verdictSize = 4;
// Moves the shared word from `from` to `to` unless another process moved it
// first; the value it held before (`from` when this call moved it).
Verdict exchangeVerdict(void* word, Verdict from, Verdict to) noexcept;
Verdict loadVerdict(const void* word) noexcept;
void storeVerdict(void* word, Verdict verdict) noexcept;

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
