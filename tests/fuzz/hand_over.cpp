// The Linux hand-over frame: any bytes a peer may send are either refused
// or read as exactly the arguments that, written again, give those very
// bytes; and whatever a further start writes, the running instance reads
// back unchanged, with nothing written past the limit.

#include "instance/HandOverFrame.h"

#include "FuzzInput.h"

#include <algorithm>

namespace {

// The frame as the layout describes it, written from the rule.
std::string referenceFrame(const std::vector<std::string>& arguments)
{
    auto field = [](std::size_t value) {
        std::string bytes;
        for (int i = 0; i < 4; ++i) {
            bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
        }
        return bytes;
    };
    std::string payload;
    for (const std::string& argument : arguments) {
        payload += field(argument.size()) + argument;
    }
    return field(payload.size()) + payload;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::string_view mode = input.field();
    if (mode == "raw") {
        // A payload from any peer.
        const std::string_view payload = input.rest();
        std::vector<std::string> arguments{"untouched"};
        if (!instance::decodeHandOver(payload, arguments)) {
            FUZZ_CHECK(arguments == std::vector<std::string>{"untouched"});
            return 0;
        }
        const std::string frame = referenceFrame(arguments);
        FUZZ_CHECK(frame.substr(instance::frameHeaderSize) == payload);
        std::size_t length = 0;
        FUZZ_CHECK(instance::announcedLength(reinterpret_cast<const unsigned char*>(frame.data()), length) ==
                   (payload.size() <= instance::handOverLimit));
        return 0;
    }

    // One argument a line, each repeated as often as the line's first byte
    // says, so that inputs reach the limit; an empty input is no argument.
    std::vector<std::string> arguments;
    const std::string_view lines = input.rest();
    for (std::size_t at = 0; !lines.empty() && at <= lines.size() && arguments.size() < 300;) {
        const std::size_t end = std::min(lines.find('\n', at), lines.size());
        std::string_view line = lines.substr(at, end - at);
        std::size_t repeat = 1;
        if (!line.empty()) {
            repeat = static_cast<unsigned char>(line[0]) * 64u + 1;
            line.remove_prefix(1);
        }
        std::string argument;
        for (std::size_t i = 0; i < repeat && argument.size() < 2 * instance::handOverLimit; ++i) {
            argument += line;
        }
        arguments.push_back(std::move(argument));
        at = end + 1;
    }
    std::size_t payload = 0;
    for (const std::string& argument : arguments) {
        payload += 4 + argument.size();
    }
    std::string frame = "untouched";
    const bool written = instance::encodeHandOver(arguments, frame);
    FUZZ_CHECK(written == (payload <= instance::handOverLimit));
    if (!written) {
        FUZZ_CHECK(frame == "untouched");
        return 0;
    }
    FUZZ_CHECK(frame == referenceFrame(arguments));
    std::size_t length = 0;
    FUZZ_CHECK(instance::announcedLength(reinterpret_cast<const unsigned char*>(frame.data()), length));
    FUZZ_CHECK(length == payload);
    std::vector<std::string> decoded;
    FUZZ_CHECK(instance::decodeHandOver(std::string_view(frame).substr(instance::frameHeaderSize), decoded));
    FUZZ_CHECK(decoded == arguments);
    return 0;
}
