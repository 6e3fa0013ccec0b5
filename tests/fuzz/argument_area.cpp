// The single-instance argument area: what a further start writes is exactly
// the layout the running instance expects (each argument and one zero, one
// more zero, the rest zero, at most 1040 bytes, nothing written when it does
// not fit), and the reading of any 1040 bytes follows its rule: text up to a
// zero is one argument, a zero after a zero ends the list, and a text that
// the scan of positions 0 to 1038 never closes is not kept.

#include "instance/InstanceBlock.h"

#include "FuzzInput.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t areaSize = instance::argumentAreaSize;

std::vector<std::string> referenceRead(const unsigned char* area)
{
    std::vector<std::string> list;
    std::string current;
    for (std::size_t i = 0; i + 1 < areaSize; ++i) {
        if (area[i] != 0) {
            current += static_cast<char>(area[i]);
        } else if (area[i + 1] == 0) {
            list.push_back(current);
            return list;
        } else {
            list.push_back(current);
            current.clear();
        }
    }
    return list;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::string_view mode = input.field();
    if (mode == "raw") {
        // Any bytes a peer may have left in the area.
        unsigned char area[areaSize] = {};
        const std::string_view bytes = input.rest();
        std::memcpy(area, bytes.data(), bytes.size() < areaSize ? bytes.size() : areaSize);
        FUZZ_CHECK(readForwardedArguments(area) == referenceRead(area));
        return 0;
    }

    // One argument a line; an empty input is a start without arguments.
    std::vector<std::string> arguments;
    const std::string_view lines = input.rest();
    for (std::size_t at = 0; !lines.empty() && at <= lines.size() && arguments.size() < 300;) {
        const std::size_t end = std::min(lines.find('\n', at), lines.size());
        arguments.emplace_back(lines.substr(at, end - at));
        at = end + 1;
    }
    std::size_t needed = 1;
    std::string layout;
    for (const std::string& argument : arguments) {
        needed += argument.size() + 1;
        layout += argument;
        layout += '\0';
    }
    unsigned char area[areaSize];
    std::memset(area, 0xA5, areaSize);
    const bool written = writeForwardedArguments(arguments, area);
    FUZZ_CHECK(written == (needed <= areaSize));
    if (!written) {
        for (unsigned char byte : area) {
            FUZZ_CHECK(byte == 0xA5); // a refused list leaves the area as it was
        }
        return 0;
    }
    layout.resize(areaSize, '\0');
    FUZZ_CHECK(std::memcmp(area, layout.data(), areaSize) == 0);
    FUZZ_CHECK(readForwardedArguments(area) == referenceRead(area));
    return 0;
}
