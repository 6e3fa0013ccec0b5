#include "jre/LibraryMachine.h"

namespace {

std::uint32_t littleEndian(std::string_view bytes, std::size_t at, std::size_t size) noexcept
{
    std::uint32_t value = 0;
    for (std::size_t i = size; i > 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i - 1]);
    }
    return value;
}

} // namespace

std::uint16_t peMachine(std::string_view bytes) noexcept
{
    constexpr std::size_t newHeaderOffset = 0x3C; // e_lfanew in the MZ header
    if (bytes.size() < newHeaderOffset + 4 || bytes[0] != 'M' || bytes[1] != 'Z') {
        return 0;
    }
    const std::uint32_t header = littleEndian(bytes, newHeaderOffset, 4);
    // Signature and Machine must lie inside what was read; the offset is
    // checked against the size first, so a huge one cannot wrap around.
    if (header > bytes.size() || bytes.size() - header < 6 || bytes.substr(header, 4) != std::string_view("PE\0\0", 4)) {
        return 0;
    }
    return static_cast<std::uint16_t>(littleEndian(bytes, header + 4, 2));
}

std::uint16_t elfMachine(std::string_view bytes) noexcept
{
    constexpr std::size_t machineOffset = 18;
    if (bytes.size() < machineOffset + 2 || bytes.substr(0, 4) != "\x7f" "ELF") {
        return 0;
    }
    const unsigned char low = static_cast<unsigned char>(bytes[machineOffset]);
    const unsigned char high = static_cast<unsigned char>(bytes[machineOffset + 1]);
    switch (bytes[5]) { // EI_DATA
    case 1:
        return static_cast<std::uint16_t>(low | high << 8);
    case 2:
        return static_cast<std::uint16_t>(high | low << 8);
    default:
        return 0;
    }
}

std::uint16_t launcherMachine() noexcept
{
#if defined(_WIN32) && defined(__x86_64__)
    return 0x8664;
#elif defined(_WIN32) && defined(__i386__)
    return 0x014c;
#elif defined(_WIN32) && defined(__aarch64__)
    return 0xAA64;
#elif defined(__x86_64__)
    return 62;
#elif defined(__i386__)
    return 3;
#elif defined(__aarch64__)
    return 183;
#else
#error "name the machine code of this architecture's libraries"
#endif
}

bool isOtherMachine(std::string_view libraryStart) noexcept
{
#ifdef _WIN32
    const std::uint16_t machine = peMachine(libraryStart);
#else
    const std::uint16_t machine = elfMachine(libraryStart);
#endif
    return machine != 0 && machine != launcherMachine();
}
