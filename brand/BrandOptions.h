#pragma once
// The command line of quarnel-brand:
//   quarnel-brand SOURCE.exe TARGET.exe [--option value | --option=value]...
// Every value is checked here, so that a bad one stops the tool before it
// reads any file.

#include "brand/Manifest.h"
#include "brand/VersionInfo.h"

#include <optional>
#include <string>
#include <vector>

namespace brand {

struct BrandOptions {
    bool help = false; // --help: nothing else counts
    std::string source;
    std::string target;
    std::optional<std::string> icon;
    std::optional<FileVersion> fileVersion;
    std::optional<FileVersion> productVersion;
    // The version texts, UTF-8.
    std::optional<std::string> productName;
    std::optional<std::string> fileDescription;
    std::optional<std::string> company;
    std::optional<std::string> copyright;
    std::optional<std::string> originalFilename;
    std::optional<std::string> internalName;
    ExecutionLevel executionLevel = ExecutionLevel::asInvoker;
    DpiAwareness dpiAwareness = DpiAwareness::unaware;
};

// The arguments after the program name. False for an unknown option, an
// option without its value or given twice, a version that is not four
// numbers of at most 65535, an unknown level or awareness, a text that is not
// UTF-8, and anything but exactly two paths; `error` then says which, and
// `options` is left untouched.
[[nodiscard]] bool parseBrandOptions(const std::vector<std::string>& arguments, BrandOptions& options,
                                     std::string& error);

// What --help prints.
std::string brandUsage();

// The last component of a path: after the last '/', on Windows also after
// the last '\' or a drive's ':'.
std::string fileNameOf(const std::string& path, bool windowsPaths);

} // namespace brand
