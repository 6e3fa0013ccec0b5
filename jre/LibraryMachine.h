#pragma once
// The machine a JVM library is built for, read from the first bytes of its
// file: a library of another machine can never be loaded into this process,
// so discovery passes over it instead of failing at the load. Pure.

#include <cstddef>
#include <cstdint>
#include <string_view>

// How much of a library's start is read: every linker places the headers
// well inside it.
inline constexpr std::size_t libraryHeaderBytes = 4096;

// The Machine field of a PE image's file header (0x014c x86, 0x8664 x64,
// 0xAA64 ARM64); 0 when `bytes` hold no complete MZ and PE header.
std::uint16_t peMachine(std::string_view bytes) noexcept;
// The e_machine field of an ELF file (3 x86, 62 x86-64, 183 AArch64) in the
// byte order the file declares; 0 when `bytes` hold no ELF header.
std::uint16_t elfMachine(std::string_view bytes) noexcept;

// The machine this launcher was built for, in its platform's library format.
std::uint16_t launcherMachine() noexcept;

// The header names a machine other than the launcher's. A file whose header
// cannot be read says nothing and is not refused: the load decides.
bool isOtherMachine(std::string_view libraryStart) noexcept;
