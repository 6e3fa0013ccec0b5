#pragma once
// Branding as a whole, over bytes: one of our launchers in, the product's
// copy out, with its icon, version resource and manifest.

#include "brand/BrandOptions.h"
#include "brand/VersionInfo.h"

#include <optional>
#include <string>
#include <string_view>

namespace brand {

// The version resource's contents for the options: what is given, and for
// the rest the target's file name (`targetName`) and the other version.
VersionInfo versionInfoFor(const BrandOptions& options, const std::string& targetName);

// The branded image of `source` (the launcher's bytes) with the icon file's
// bytes (when options.icon is set) and the options' version and manifest.
// Fails for a source that is not one of our launchers, a damaged icon and
// version texts too long for their resource; `branded` is then left untouched
// and `error` says why, naming the file.
[[nodiscard]] bool brandExecutable(std::string_view source, std::string_view iconFile, const BrandOptions& options,
                                   const std::string& targetName, std::string& branded, std::string& error);

} // namespace brand
