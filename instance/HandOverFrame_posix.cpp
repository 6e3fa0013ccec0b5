#include "instance/HandOverFrame.h"

#include "instance/InstanceBlock.h"
#include "text/Hash.h"

#include <cstdint>

namespace instance {
namespace {

void appendLength(std::string& bytes, std::size_t length)
{
    unsigned char field[4];
    storeField(field, 0, static_cast<std::uint32_t>(length));
    bytes.append(reinterpret_cast<const char*>(field), sizeof field);
}

std::uint32_t lengthAt(std::string_view bytes, std::size_t at) noexcept
{
    return loadField(reinterpret_cast<const unsigned char*>(bytes.data()), at);
}

} // namespace

std::string instanceSocketName(std::string_view modulePath)
{
    std::string name = "quarnel-";
    text::appendHex(name, text::hashText(modulePath));
    return name;
}

bool encodeHandOver(const std::vector<std::string>& arguments, std::string& frame)
{
    std::size_t payload = 0;
    for (const std::string& argument : arguments) {
        // Compared with what is left, so that no sum can wrap.
        if (handOverLimit - payload < 4 || argument.size() > handOverLimit - payload - 4) {
            return false;
        }
        payload += 4 + argument.size();
    }
    std::string bytes;
    bytes.reserve(frameHeaderSize + payload);
    appendLength(bytes, payload);
    for (const std::string& argument : arguments) {
        appendLength(bytes, argument.size());
        bytes += argument;
    }
    frame.swap(bytes);
    return true;
}

bool announcedLength(const unsigned char* header, std::size_t& length) noexcept
{
    const std::uint32_t announced = loadField(header, 0);
    if (announced > handOverLimit) {
        return false;
    }
    length = announced;
    return true;
}

bool decodeHandOver(std::string_view payload, std::vector<std::string>& arguments)
{
    std::vector<std::string> found;
    std::size_t at = 0;
    while (at < payload.size()) {
        if (payload.size() - at < 4) {
            return false;
        }
        const std::uint32_t length = lengthAt(payload, at);
        at += 4;
        if (length > payload.size() - at) {
            return false;
        }
        found.emplace_back(payload.substr(at, length));
        at += length;
    }
    arguments.swap(found);
    return true;
}

} // namespace instance
