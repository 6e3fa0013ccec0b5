#include "brand/VersionInfo.h"

#include "brand/LittleEndian.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using brand::FileVersion;

TEST(FileVersion, FourNumbersOfAtMost65535)
{
    const struct {
        const char* text;
        bool valid;
        FileVersion version;
    } cases[] = {
        {"1.2.3.4", true, {{1, 2, 3, 4}}},
        {"65535.0.65535.00007", true, {{65535, 0, 65535, 7}}},
        {"1.2.3", false, {}},
        {"1.2.3.4.5", false, {}},
        {"1.2.3.65536", false, {}},
        {"1.2.3.999999999999", false, {}},
        {"1..3.4", false, {}},
        {"1.2.3.4.", false, {}},
        {".1.2.3", false, {}},
        {"1.2.3.-4", false, {}},
        {"1.2.3.4 ", false, {}},
        {"v1.2.3.4", false, {}},
        {"", false, {}},
    };
    for (const auto& c : cases) {
        FileVersion version{{9, 9, 9, 9}};
        EXPECT_EQ(brand::parseFileVersion(c.text, version), c.valid) << c.text;
        EXPECT_EQ(version.parts, (c.valid ? c.version : FileVersion{{9, 9, 9, 9}}).parts) << c.text;
    }
    EXPECT_EQ(brand::formatFileVersion({{65535, 0, 10, 7}}), "65535.0.10.7");
}

// A reading of VS_VERSIONINFO written from its documentation: every node's
// length, type, key and value, and each child on a 4-byte boundary within
// its parent. Strings come out as "key=value" beside "Translation=<hex>".
struct VersionReader {
    std::string_view bytes;
    std::map<std::string, std::string> found;
    bool sound = true;

    void node(std::size_t at, std::size_t end, const std::string& path)
    {
        const std::uint16_t length = brand::read16(bytes, at), valueLength = brand::read16(bytes, at + 2),
                            type = brand::read16(bytes, at + 4);
        sound = sound && at % 4 == 0 && length >= 6 && at + length <= end;
        if (!sound) {
            return;
        }
        std::string key;
        std::size_t p = at + 6;
        for (; brand::read16(bytes, p) != 0; p += 2) {
            key.push_back(static_cast<char>(brand::read16(bytes, p)));
        }
        p = brand::alignUp(p + 2, 4);
        const std::size_t valueBytes = type == 1 ? valueLength * 2u : valueLength;
        std::string value(bytes.substr(p, valueBytes));
        if (type == 1 && valueLength > 0) {
            std::string text;
            for (std::size_t i = 0; i + 2 < value.size(); i += 2) {
                text.push_back(static_cast<char>(brand::read16(value, i)));
            }
            sound = sound && value.substr(value.size() - 2) == std::string(2, '\0');
            found[path + key] = text;
        } else if (key == "Translation" || key == "VS_VERSION_INFO") {
            found[path + key] = value;
        }
        for (p = brand::alignUp(p + valueBytes, 4); p < at + length && sound;
             p = brand::alignUp(p + brand::read16(bytes, p), 4)) {
            node(p, at + length, path + key + "/");
        }
    }
};

TEST(VersionInfo, EveryFieldInItsPlace)
{
    const brand::VersionInfo info{{{1, 2, 3, 4}}, {{5, 6, 7, 65535}}, {{u"CompanyName", u"Acme"}, {u"Comments", u""}}};
    std::string resource;
    std::string error;
    ASSERT_TRUE(brand::versionResource(info, resource, error)) << error;
    VersionReader reader{resource, {}};
    reader.node(0, resource.size(), "");
    ASSERT_TRUE(reader.sound);
    EXPECT_EQ(brand::read16(resource, 0), resource.size());
    const std::string prefix = "VS_VERSION_INFO/StringFileInfo/040904E4/";
    EXPECT_EQ(reader.found[prefix + "CompanyName"], "Acme");
    EXPECT_EQ(reader.found.count(prefix + "Comments"), 1u);
    EXPECT_EQ(reader.found["VS_VERSION_INFO/VarFileInfo/Translation"], std::string("\x09\x04\xE4\x04", 4));
    const std::string fixed = reader.found["VS_VERSION_INFO"];
    ASSERT_EQ(fixed.size(), 52u);
    EXPECT_EQ(brand::read32(fixed, 0), 0xFEEF04BDu);
    EXPECT_EQ(brand::read32(fixed, 8), 0x00010002u);
    EXPECT_EQ(brand::read32(fixed, 12), 0x00030004u);
    EXPECT_EQ(brand::read32(fixed, 16), 0x00050006u);
    EXPECT_EQ(brand::read32(fixed, 20), 0x0007FFFFu);
    EXPECT_EQ(brand::read32(fixed, 36), 1u); // an application
}

TEST(VersionInfo, TextsBeyondTheLengthFieldsAreRefused)
{
    // Each node's length is 16 bits: the whole resource at most 65535 bytes.
    for (const std::size_t length : {32000u, 32700u, 40000u}) {
        const brand::VersionInfo info{{}, {}, {{u"Comments", std::u16string(length, u'x')}}};
        std::string resource = "untouched";
        std::string error;
        const bool built = brand::versionResource(info, resource, error);
        EXPECT_EQ(built, length == 32000u) << length;
        EXPECT_EQ(resource.size() <= 0xFFFF, true);
        if (!built) {
            EXPECT_EQ(resource, "untouched");
            EXPECT_NE(error.find("the version texts are too long"), std::string::npos) << error;
        }
    }
}

} // namespace
