#include "brand/VersionInfo.h"

#include "brand/LittleEndian.h"
#include "brand/ResourceTree.h"

namespace brand {

namespace {

constexpr std::uint16_t binaryValue = 0;
constexpr std::uint16_t textValue = 1;

// One node of the version tree: wLength, wValueLength, wType, the key and its
// terminator, padding to 4 bytes, the value, then the children, each starting
// on a 4-byte boundary. wLength counts up to the end of the last child,
// without padding after it.
struct Node {
    std::string bytes;

    Node(std::u16string_view key, std::uint16_t type)
    {
        append16(bytes, 0);
        append16(bytes, 0);
        append16(bytes, type);
        for (const char16_t c : key) {
            append16(bytes, static_cast<std::uint16_t>(c));
        }
        append16(bytes, 0);
        padTo(bytes, 4);
    }

    // wValueLength counts bytes for binary values, characters for text.
    void value(std::string_view data, std::uint16_t valueLength)
    {
        bytes += data;
        write16(bytes, 2, valueLength);
    }

    void child(const Node& node)
    {
        padTo(bytes, 4);
        bytes += node.bytes;
    }

    // Every node lies within the root: when the root's length fits its 16
    // bits, so does each node's.
    void finish() { write16(bytes, 0, static_cast<std::uint16_t>(bytes.size())); }
};

std::uint32_t high(const FileVersion& v) { return static_cast<std::uint32_t>(v.parts[0]) << 16 | v.parts[1]; }
std::uint32_t low(const FileVersion& v) { return static_cast<std::uint32_t>(v.parts[2]) << 16 | v.parts[3]; }

} // namespace

bool parseFileVersion(std::string_view text, FileVersion& version) noexcept
{
    FileVersion parsed;
    std::size_t part = 0;
    std::size_t digits = 0;
    std::uint32_t number = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : '.';
        if (c >= '0' && c <= '9') {
            number = number * 10 + static_cast<std::uint32_t>(c - '0');
            if (++digits > 5 || number > 0xFFFF) {
                return false;
            }
        } else if (c == '.' && digits > 0 && part < 4) {
            parsed.parts[part++] = static_cast<std::uint16_t>(number);
            digits = 0;
            number = 0;
        } else {
            return false;
        }
    }
    if (part != 4) {
        return false;
    }
    version = parsed;
    return true;
}

std::string formatFileVersion(const FileVersion& version)
{
    return std::to_string(version.parts[0]) + "." + std::to_string(version.parts[1]) + "." +
           std::to_string(version.parts[2]) + "." + std::to_string(version.parts[3]);
}

bool versionResource(const VersionInfo& info, std::string& resource, std::string& error)
{
    std::string fixed; // VS_FIXEDFILEINFO
    append32(fixed, 0xFEEF04BD);
    append32(fixed, 0x00010000); // structure version 1.0
    append32(fixed, high(info.fileVersion));
    append32(fixed, low(info.fileVersion));
    append32(fixed, high(info.productVersion));
    append32(fixed, low(info.productVersion));
    append32(fixed, 0x3F);       // VS_FFI_FILEFLAGSMASK
    append32(fixed, 0);          // no flags: not a debug, patched or pre-release build
    append32(fixed, 0x00040004); // VOS_NT_WINDOWS32
    append32(fixed, 1);          // VFT_APP
    append32(fixed, 0);
    append32(fixed, 0); // no file date
    append32(fixed, 0);

    Node table(u"040904E4", textValue);
    for (const auto& [key, text] : info.strings) {
        Node string(key, textValue);
        std::string value;
        for (const char16_t c : text) {
            append16(value, static_cast<std::uint16_t>(c));
        }
        append16(value, 0);
        string.value(value, static_cast<std::uint16_t>(text.size() + 1));
        string.finish();
        table.child(string);
    }
    table.finish();
    Node strings(u"StringFileInfo", textValue);
    strings.child(table);
    strings.finish();

    Node translation(u"Translation", binaryValue);
    std::string languageAndCodePage;
    append16(languageAndCodePage, englishUnitedStates);
    append16(languageAndCodePage, 1252);
    translation.value(languageAndCodePage, 4);
    translation.finish();
    Node variables(u"VarFileInfo", textValue);
    variables.child(translation);
    variables.finish();

    Node root(u"VS_VERSION_INFO", binaryValue);
    root.value(fixed, static_cast<std::uint16_t>(fixed.size()));
    root.child(strings);
    root.child(variables);
    root.finish();
    if (root.bytes.size() > 0xFFFF) {
        error = "the version texts are too long: the version resource would take " +
                std::to_string(root.bytes.size()) + " bytes, and its length fields hold at most 65535";
        return false;
    }
    resource.swap(root.bytes);
    return true;
}

} // namespace brand
