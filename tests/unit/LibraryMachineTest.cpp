// Reading a library's machine from the first bytes of its file: the PE and
// ELF headers, and every way a short, damaged or hostile file can fall short
// of one.

#include "jre/LibraryMachine.h"

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

namespace {

void put16(std::string& bytes, std::size_t at, std::uint16_t value)
{
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

void put32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// An MZ stub whose e_lfanew points at `header`, a PE signature there and the
// machine after it; `size` bytes in all.
std::string peImage(std::uint16_t machine, std::uint32_t header = 0x80, std::size_t size = 0x200)
{
    std::string bytes(size, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    put32(bytes, 0x3C, header);
    if (std::size_t{header} + 6 <= size) {
        bytes.replace(header, 4, std::string("PE\0\0", 4));
        put16(bytes, header + 4, machine);
    }
    return bytes;
}

std::string elfImage(unsigned char data, std::uint16_t machine)
{
    std::string bytes(64, '\0');
    bytes.replace(0, 4, "\x7f" "ELF");
    bytes[4] = 2; // 64-bit
    bytes[5] = static_cast<char>(data);
    if (data == 2) {
        bytes[18] = static_cast<char>(machine >> 8);
        bytes[19] = static_cast<char>(machine & 0xFF);
    } else {
        put16(bytes, 18, machine);
    }
    return bytes;
}

TEST(PeMachine, ReadsTheFileHeadersMachine)
{
    EXPECT_EQ(peMachine(peImage(0x014c)), 0x014c);
    EXPECT_EQ(peMachine(peImage(0x8664)), 0x8664);
    EXPECT_EQ(peMachine(peImage(0xAA64)), 0xAA64);
    // MSVC puts the header further in than MinGW; only the offset counts.
    EXPECT_EQ(peMachine(peImage(0x8664, 0x118)), 0x8664);
    // The header right at the end of what was read still counts.
    EXPECT_EQ(peMachine(peImage(0x014c, 0x1FA, 0x200)), 0x014c);
}

TEST(PeMachine, AnythingShortOfAWholeHeaderIsUnknown)
{
    std::string noSignature = peImage(0x8664);
    noSignature[0x81] = 'X';
    std::string lowerCaseMz = peImage(0x8664);
    lowerCaseMz[1] = 'z';
    const struct {
        const char* what;
        std::string bytes;
    } rows[] = {
        {"empty file", ""},
        {"only MZ", "MZ"},
        {"cut before e_lfanew ends", peImage(0x8664).substr(0, 0x3F)},
        {"cut inside the signature", peImage(0x8664).substr(0, 0x82)},
        {"cut inside the machine", peImage(0x8664).substr(0, 0x85)},
        {"header one byte too far", peImage(0x014c, 0x1FB, 0x200)},
        {"offset past the end", peImage(0x8664, 0x1000, 0x200)},
        {"offset near 2^32", peImage(0x8664, 0xFFFFFFFE, 0x200)},
        {"largest offset", peImage(0x8664, 0xFFFFFFFF, 0x200)},
        {"offset inside the MZ header", peImage(0x8664, 0x3C, 0x200)},
        {"no PE signature", noSignature},
        {"not MZ", lowerCaseMz},
        {"an ELF file", elfImage(1, 62)},
        {"text", std::string(0x200, 'M')},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(peMachine(row.bytes), 0) << row.what;
    }
}

TEST(ElfMachine, ReadsEMachineInTheFilesByteOrder)
{
    EXPECT_EQ(elfMachine(elfImage(1, 62)), 62);
    EXPECT_EQ(elfMachine(elfImage(1, 3)), 3);
    EXPECT_EQ(elfMachine(elfImage(1, 183)), 183);
    EXPECT_EQ(elfMachine(elfImage(2, 0x1234)), 0x1234);
    EXPECT_EQ(elfMachine(elfImage(3, 62)), 0);          // no byte order
    EXPECT_EQ(elfMachine(elfImage(1, 62).substr(0, 19)), 0); // cut inside e_machine
    EXPECT_EQ(elfMachine(""), 0);
    EXPECT_EQ(elfMachine(peImage(0x8664)), 0);
}

TEST(OtherMachine, OnlyAReadableHeaderOfAnotherMachineRefuses)
{
    // Linux reads ELF: its own machine, another one, and nothing readable.
    const std::uint16_t own = launcherMachine();
    const std::uint16_t other = own == 62 ? 3 : 62;
    EXPECT_FALSE(isOtherMachine(elfImage(1, own)));
    EXPECT_TRUE(isOtherMachine(elfImage(1, other)));
    EXPECT_FALSE(isOtherMachine(""));
    EXPECT_FALSE(isOtherMachine("not a library"));
    // A PE file says nothing to the Linux launcher's ELF reader.
    EXPECT_FALSE(isOtherMachine(peImage(0x014c)));
}

} // namespace
