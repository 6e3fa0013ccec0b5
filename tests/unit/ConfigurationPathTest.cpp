// Where the Linux launcher looks for its configuration file.

#include "launcher/Configuration.h"

#include <gtest/gtest.h>

namespace {

TEST(ConfigurationPath, FollowsTheExecutablesName)
{
    const struct {
        const char* module;
        const char* ini;
    } rows[] = {
        {"/opt/myapp/myapp", "/opt/myapp/myapp.ini"},
        {"/opt/v1.2/myapp", "/opt/v1.2/myapp.ini"}, // a dotted folder does not count
        {"/opt/myapp/myapp.bin", "/opt/myapp/myapp.ini"},
        {"/opt/myapp/.hidden", "/opt/myapp/.ini"},
    };
    for (const auto& row : rows) {
        std::string ini = "untouched";
        ASSERT_TRUE(iniPathFor(row.module, ini)) << row.module;
        EXPECT_EQ(ini, row.ini);
    }
}

} // namespace
