#pragma once
// The application manifest of a branded copy: the launcher's own, which
// carries what the launcher needs (its identity, the Common Controls 6
// dependency that the dialogs draw with), plus the product's execution level
// and DPI awareness.

#include <string>
#include <string_view>

namespace brand {

// requestedExecutionLevel. asInvoker, the default, also keeps Windows from
// guessing from a name such as "setup" that the program needs administrator
// rights, and turns off the file and registry virtualisation that a 32-bit
// program without an execution level gets.
enum class ExecutionLevel { asInvoker, highestAvailable, requireAdministrator };
// dpiAware/dpiAwareness. unaware, the default, is what the launcher does
// without either element.
enum class DpiAwareness { unaware, system, perMonitor, perMonitorV2 };

// The option texts: "asInvoker"..., "unaware", "system", "permonitor",
// "permonitorv2", exactly. On failure the output is left untouched.
[[nodiscard]] bool parseExecutionLevel(std::string_view text, ExecutionLevel& level) noexcept;
[[nodiscard]] bool parseDpiAwareness(std::string_view text, DpiAwareness& awareness) noexcept;

// The launcher's manifest with a trustInfo and a windowsSettings element
// added before its closing </assembly>; those this tool added to it before
// (a copy branded again) are replaced. False, with `manifest` untouched and
// `error` set, for a text without </assembly> or with either setting in
// another form.
[[nodiscard]] bool brandManifest(std::string_view launcherManifest, ExecutionLevel level, DpiAwareness awareness,
                                 std::string& manifest, std::string& error);

} // namespace brand
