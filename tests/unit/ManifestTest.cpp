#include "brand/Manifest.h"

#include "BrandImage.h"

#include <gtest/gtest.h>

namespace {

using brand::DpiAwareness;
using brand::ExecutionLevel;

std::string branded(std::string_view launcher, ExecutionLevel level, DpiAwareness awareness)
{
    std::string manifest, error;
    EXPECT_TRUE(brand::brandManifest(launcher, level, awareness, manifest, error)) << error;
    return manifest;
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(Manifest, EachLevelAndAwarenessAsWindowsDocumentsThem)
{
    const struct {
        ExecutionLevel level;
        DpiAwareness awareness;
        const char* levelText;
        const char* dpiAware;
        const char* dpiAwareness;
    } cases[] = {
        {ExecutionLevel::asInvoker, DpiAwareness::unaware, "asInvoker", "false", "unaware"},
        {ExecutionLevel::highestAvailable, DpiAwareness::system, "highestAvailable", "true", "system"},
        {ExecutionLevel::requireAdministrator, DpiAwareness::perMonitor, "requireAdministrator", "true/pm",
         "permonitor"},
        {ExecutionLevel::asInvoker, DpiAwareness::perMonitorV2, "asInvoker", "true/pm", "permonitorv2,permonitor"},
    };
    for (const auto& c : cases) {
        const std::string manifest = branded(brandtest::launcherManifest, c.level, c.awareness);
        EXPECT_TRUE(has(manifest, "<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\">\n    <security>\n"
                                  "      <requestedPrivileges>\n        <requestedExecutionLevel level=\"" +
                                      std::string(c.levelText) + "\" uiAccess=\"false\"/>"))
            << manifest;
        EXPECT_TRUE(has(manifest, "<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">\n    <windowsSettings>\n"
                                  "      <dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">" +
                                      std::string(c.dpiAware) +
                                      "</dpiAware>\n      <dpiAwareness "
                                      "xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">" +
                                      c.dpiAwareness + "</dpiAwareness>"))
            << manifest;
        // Branding a branded copy again replaces what the first branding added.
        EXPECT_EQ(branded(branded(brandtest::launcherManifest, ExecutionLevel::requireAdministrator,
                                  DpiAwareness::system),
                          c.level, c.awareness),
                  manifest);
    }
}

TEST(Manifest, WindowsLineEndsStay)
{
    const std::string manifest = branded("<assembly>\r\n</assembly>\r\n", ExecutionLevel::asInvoker,
                                         DpiAwareness::unaware);
    EXPECT_EQ(manifest.find('\n'), manifest.find("\r\n") + 1);
    EXPECT_TRUE(has(manifest, "</application>\r\n</assembly>\r\n")) << manifest;
}

TEST(Manifest, SettingsOfAnotherFormOrNoAssemblyAreRefused)
{
    for (const char* launcher :
         {"<assembly><application><windowsSettings><dpiAware>true</dpiAware></windowsSettings></application>"
          "</assembly>",
          "<assembly><trustInfo><requestedExecutionLevel level=\"asInvoker\"/></trustInfo></assembly>",
          "<assembly/>", ""}) {
        std::string manifest = "untouched", error;
        EXPECT_FALSE(brand::brandManifest(launcher, ExecutionLevel::asInvoker, DpiAwareness::unaware, manifest, error))
            << launcher;
        EXPECT_EQ(manifest, "untouched");
        EXPECT_FALSE(error.empty());
    }
}

} // namespace
