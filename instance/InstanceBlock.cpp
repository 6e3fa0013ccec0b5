#include "instance/InstanceBlock.h"

#include <cstring>
#include <utility>

namespace instance {

void storeField(unsigned char* block, std::size_t offset, std::uint32_t value) noexcept
{
    for (std::size_t i = 0; i < 4; ++i) {
        block[offset + i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

std::uint32_t loadField(const unsigned char* block, std::size_t offset) noexcept
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(block[offset + i]) << (8 * i);
    }
    return value;
}

Verdict exchangeVerdict(void* word, Verdict from, Verdict to) noexcept
{
    // Another process reads and writes the same word: only an atomic
    // exchange lets exactly one of the two decide.
    std::uint32_t expected = static_cast<std::uint32_t>(from);
    __atomic_compare_exchange_n(static_cast<std::uint32_t*>(word), &expected, static_cast<std::uint32_t>(to), false,
                                __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
    return static_cast<Verdict>(expected);
}

Verdict loadVerdict(const void* word) noexcept
{
    return static_cast<Verdict>(__atomic_load_n(static_cast<const std::uint32_t*>(word), __ATOMIC_SEQ_CST));
}

void storeVerdict(void* word, Verdict verdict) noexcept
{
    __atomic_store_n(static_cast<std::uint32_t*>(word), static_cast<std::uint32_t>(verdict), __ATOMIC_SEQ_CST);
}

} // namespace instance

std::string makeInstanceName(std::string_view modulePath)
{
    std::string name(modulePath);
    for (char& byte : name) { // byte by byte, not by character: see the header
        if (static_cast<unsigned char>(byte) == 0x5C) {
            byte = static_cast<char>(0x5F);
        }
    }
    return name;
}

bool writeForwardedArguments(const std::vector<std::string>& arguments, unsigned char* area) noexcept
{
    std::size_t needed = 1; // the zero that ends the list
    for (const std::string& argument : arguments) {
        needed += argument.size() + 1;
        if (needed > instance::argumentAreaSize) {
            return false; // stop early: the sum cannot grow past what a size holds
        }
    }
    std::memset(area, 0, instance::argumentAreaSize);
    std::size_t at = 0;
    for (const std::string& argument : arguments) {
        std::memcpy(area + at, argument.data(), argument.size());
        at += argument.size() + 1; // its zero was left by the fill
    }
    return true;
}

std::vector<std::string> readForwardedArguments(const unsigned char* area)
{
    std::vector<std::string> list;
    std::string current;
    // The last position looked at is one before the end, so that the byte
    // after it still lies in the area. Text after the last single zero with
    // no double zero behind it is not taken; a well-formed area always has
    // one.
    for (std::size_t i = 0; i + 1 < instance::argumentAreaSize; ++i) {
        if (area[i] != 0) {
            current += static_cast<char>(area[i]);
            continue;
        }
        list.push_back(std::move(current));
        if (area[i + 1] == 0) {
            break;
        }
        current.clear(); // moved from: valid, but not certainly empty
    }
    return list;
}
