#include "brand/VersionInfo.h"

#include <gtest/gtest.h>

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

TEST(VersionInfo, TextsBeyondTheLengthFieldsAreRefused)
{
    // Each node's length is 16 bits: the whole resource at most 65535 bytes.
    for (const std::size_t length : {32000u, 32700u, 40000u}) {
        const brand::VersionInfo info{{}, {}, {{u"Comments", std::u16string(length, u'x')}}};
        std::string resource = "untouched";
        std::string error;
        const bool built = brand::versionResource(info, resource, error);
        EXPECT_EQ(built, length == 32000u) << length;
        if (built) { // wLength, the whole resource's
            EXPECT_EQ(static_cast<unsigned char>(resource[0]) | static_cast<unsigned char>(resource[1]) << 8,
                      static_cast<int>(resource.size()));
        } else {
            EXPECT_EQ(resource, "untouched");
            EXPECT_NE(error.find("the version texts are too long"), std::string::npos) << error;
        }
    }
}

} // namespace
