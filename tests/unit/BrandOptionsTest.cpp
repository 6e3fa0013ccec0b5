#include "brand/BrandOptions.h"

#include <gtest/gtest.h>

namespace {

using brand::BrandOptions;

TEST(BrandOptions, ValuesInEitherFormAnywhereOnTheLine)
{
    BrandOptions options;
    std::string error;
    ASSERT_TRUE(brand::parseBrandOptions({"--icon", "a.ico", "in.exe", "--file-version=1.2.3.4", "--company=",
                                          "--copyright", "© 2024 Ünïcode", "out.exe", "--execution-level",
                                          "highestAvailable", "--dpi-aware=system", "--product-name", "--odd"},
                                         options, error))
        << error;
    EXPECT_EQ(options.source, "in.exe");
    EXPECT_EQ(options.target, "out.exe");
    EXPECT_EQ(options.icon, "a.ico");
    ASSERT_TRUE(options.fileVersion);
    EXPECT_EQ(options.fileVersion->parts[3], 4);
    EXPECT_FALSE(options.productVersion);
    EXPECT_EQ(options.company, "");
    EXPECT_EQ(options.copyright, "© 2024 Ünïcode");
    EXPECT_EQ(options.productName, "--odd"); // a value, taken as given
    EXPECT_FALSE(options.fileDescription);
    EXPECT_EQ(options.executionLevel, brand::ExecutionLevel::highestAvailable);
    EXPECT_EQ(options.dpiAwareness, brand::DpiAwareness::system);
}

TEST(BrandOptions, EachMistakeIsNamed)
{
    const struct {
        std::vector<std::string> arguments;
        const char* error;
    } cases[] = {
        {{"a.exe"}, "needs a source and a target executable (--help for more)"},
        {{"a.exe", "b.exe", "c.exe"}, "takes one source and one target, but more paths were given: c.exe"},
        {{"a.exe", "b.exe", "--colour", "red"}, "unknown option --colour (--help lists them)"},
        {{"a.exe", "b.exe", "-i"}, "unknown option -i (--help lists them)"},
        {{"a.exe", "b.exe", "--icon"}, "--icon needs a value"},
        {{"a.exe", "b.exe", "--company=A", "--company", "B"}, "--company is given twice"},
        {{"a.exe", "b.exe", "--product-version", "1.2.3"},
         "--product-version \"1.2.3\": not four numbers of at most 65535 (such as 1.2.3.4)"},
        {{"a.exe", "b.exe", "--execution-level=admin"},
         "--execution-level \"admin\": not asInvoker, highestAvailable or requireAdministrator"},
        {{"a.exe", "b.exe", "--dpi-aware=true"},
         "--dpi-aware \"true\": not unaware, system, permonitor or permonitorv2"},
        {{"a.exe", "b.exe", "--product-name=\xC3"}, "--product-name: the text is not UTF-8"},
    };
    for (const auto& c : cases) {
        BrandOptions options;
        options.source = "untouched";
        std::string error;
        EXPECT_FALSE(brand::parseBrandOptions(c.arguments, options, error)) << c.error;
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(options.source, "untouched");
    }
}

TEST(BrandOptions, HelpEndsTheLine)
{
    BrandOptions options;
    std::string error;
    ASSERT_TRUE(brand::parseBrandOptions({"a.exe", "-h", "--frob"}, options, error));
    EXPECT_TRUE(options.help);
}

TEST(BrandOptions, FileNameOfAPath)
{
    EXPECT_EQ(brand::fileNameOf("/opt/my app/App.exe", false), "App.exe");
    EXPECT_EQ(brand::fileNameOf("dir\\app.exe", false), "dir\\app.exe");
    EXPECT_EQ(brand::fileNameOf("dir\\app.exe", true), "app.exe");
    EXPECT_EQ(brand::fileNameOf("C:app.exe", true), "app.exe");
    EXPECT_EQ(brand::fileNameOf("app.exe", true), "app.exe");
}

} // namespace
