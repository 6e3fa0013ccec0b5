#pragma once
// Inputs for the tests of quarnel-brand's logic: the resources that make an
// image one of our launchers, and a small PE32+ image around any resources.

#include "brand/LittleEndian.h"
#include "brand/ResourceTree.h"

#include <string>
#include <vector>

namespace brandtest {

using brand::append16;
using brand::append32;

inline std::string utf16Bytes(std::u16string_view text)
{
    std::string bytes;
    for (const char16_t c : text) {
        append16(bytes, c);
    }
    return bytes;
}

// A DLGTEMPLATEEX without controls: no menu, the default class, the caption.
inline std::string dialogTemplate(std::u16string_view caption)
{
    std::string t;
    append16(t, 1);
    append16(t, 0xFFFF);
    t.append(22, '\0'); // help ID, extended style, style, item count, position and size
    append32(t, 0);     // menu and class
    return t + utf16Bytes(caption) + std::string(2, '\0');
}

// The string-table block that holds `id`, with `text` there and no others.
inline std::string stringBlock(unsigned id, std::u16string_view text)
{
    std::string block;
    for (unsigned i = 0; i < 16; ++i) {
        append16(block, static_cast<std::uint16_t>(i == id % 16 ? text.size() : 0));
        block += i == id % 16 ? utf16Bytes(text) : "";
    }
    return block;
}

inline const std::string launcherManifest =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
    "  <dependency><dependentAssembly><assemblyIdentity type=\"win32\" "
    "name=\"Microsoft.Windows.Common-Controls\"/></dependentAssembly></dependency>\n"
    "</assembly>\n";

inline brand::Resource resource(std::uint16_t type, std::uint16_t name, std::string data,
                                std::uint16_t language = 0x409)
{
    return {brand::ResourceKey::number(type), brand::ResourceKey::number(name), language, 0, std::move(data)};
}

// What the tool recognises our launchers by, plus their manifest.
inline brand::ResourceTree launcherResources()
{
    return {{resource(brand::resourceType::dialog, 201, dialogTemplate(u"JRE Not Found")),
             resource(brand::resourceType::string, 210 / 16 + 1,
                      stringBlock(210, u"Main class was not specified in INI file.")),
             resource(brand::resourceType::manifest, 1, launcherManifest)}};
}

struct Section {
    std::string name;
    std::uint32_t characteristics;
    std::string data; // for ".rsrc": replaced by the resources
};

inline constexpr std::uint32_t readOnlyData = 0x40000040;
inline constexpr std::uint32_t discardableData = 0x42000040;

// A PE32+ program: 0x200 bytes of headers, then the sections one after the
// other (file alignment 0x200, section alignment 0x1000). ".rsrc" holds
// `tree`, ".reloc" is the relocation directory.
inline std::string peImage(const std::vector<Section>& sections, const brand::ResourceTree& tree)
{
    std::string file(0x200, '\0');
    file[0] = 'M', file[1] = 'Z';
    brand::write32(file, 0x3C, 0x40);
    file.replace(0x40, 4, std::string("PE\0\0", 4));
    brand::write16(file, 0x44, 0x8664);
    brand::write16(file, 0x46, static_cast<std::uint16_t>(sections.size()));
    brand::write16(file, 0x54, 240);    // optional header size
    brand::write16(file, 0x56, 0x0022); // an executable image
    const std::size_t optional = 0x58, table = optional + 240;
    brand::write16(file, optional, 0x20B);
    brand::write32(file, optional + 32, 0x1000);
    brand::write32(file, optional + 36, 0x200);
    brand::write32(file, optional + 60, 0x200);
    brand::write32(file, optional + 108, 16);
    std::uint32_t address = 0x1000;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        std::string data = sections[i].data;
        if (sections[i].name == ".rsrc") {
            data = brand::serializeResourceTree(tree, address);
            brand::write32(file, optional + 112 + 2 * 8, address);
            brand::write32(file, optional + 112 + 2 * 8 + 4, static_cast<std::uint32_t>(data.size()));
        } else if (sections[i].name == ".reloc") {
            brand::write32(file, optional + 112 + 5 * 8, address);
            brand::write32(file, optional + 112 + 5 * 8 + 4, static_cast<std::uint32_t>(data.size()));
        }
        const std::size_t header = table + i * 40;
        file.replace(header, sections[i].name.size(), sections[i].name);
        brand::write32(file, header + 8, static_cast<std::uint32_t>(data.size()));
        brand::write32(file, header + 12, address);
        brand::write32(file, header + 16, static_cast<std::uint32_t>(brand::alignUp(data.size(), 0x200)));
        brand::write32(file, header + 20, static_cast<std::uint32_t>(file.size()));
        brand::write32(file, header + 36, sections[i].characteristics);
        file += data;
        brand::padTo(file, 0x200);
        address += static_cast<std::uint32_t>(brand::alignUp(data.size(), 0x1000));
    }
    brand::write32(file, optional + 56, address);
    return file;
}

inline std::string launcherImage()
{
    return peImage({{".text", 0x60000020, "code"}, {".rsrc", readOnlyData, ""}, {".reloc", discardableData, "relocs"}},
                   launcherResources());
}

} // namespace brandtest
