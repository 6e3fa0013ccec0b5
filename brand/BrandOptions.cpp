#include "brand/BrandOptions.h"

#include "brand/Utf16.h"

namespace brand {

namespace {

enum class Kind { path, version, text, level, awareness };

struct Option {
    const char* name;
    Kind kind;
    std::optional<std::string> BrandOptions::*text;
    std::optional<FileVersion> BrandOptions::*version;
};

const Option options[] = {
    {"--icon", Kind::path, &BrandOptions::icon, nullptr},
    {"--file-version", Kind::version, nullptr, &BrandOptions::fileVersion},
    {"--product-version", Kind::version, nullptr, &BrandOptions::productVersion},
    {"--product-name", Kind::text, &BrandOptions::productName, nullptr},
    {"--file-description", Kind::text, &BrandOptions::fileDescription, nullptr},
    {"--company", Kind::text, &BrandOptions::company, nullptr},
    {"--copyright", Kind::text, &BrandOptions::copyright, nullptr},
    {"--original-filename", Kind::text, &BrandOptions::originalFilename, nullptr},
    {"--internal-name", Kind::text, &BrandOptions::internalName, nullptr},
    {"--execution-level", Kind::level, nullptr, nullptr},
    {"--dpi-aware", Kind::awareness, nullptr, nullptr},
};

// Takes one option's value into `parsed`; false with `error` set.
bool take(const Option& option, const std::string& value, BrandOptions& parsed, std::string& error)
{
    const std::string name = option.name;
    switch (option.kind) {
    case Kind::path:
        parsed.*option.text = value;
        return true;
    case Kind::text: {
        std::u16string unused;
        if (!utf8ToUtf16(value, unused)) {
            error = name + ": the text is not UTF-8";
            return false;
        }
        parsed.*option.text = value;
        return true;
    }
    case Kind::version: {
        FileVersion version;
        if (!parseFileVersion(value, version)) {
            error = name + " \"" + value + "\": not four numbers of at most 65535 (such as 1.2.3.4)";
            return false;
        }
        parsed.*option.version = version;
        return true;
    }
    case Kind::level:
        if (!parseExecutionLevel(value, parsed.executionLevel)) {
            error = name + " \"" + value + "\": not asInvoker, highestAvailable or requireAdministrator";
            return false;
        }
        return true;
    case Kind::awareness:
        if (!parseDpiAwareness(value, parsed.dpiAwareness)) {
            error = name + " \"" + value + "\": not unaware, system, permonitor or permonitorv2";
            return false;
        }
        return true;
    }
    return false;
}

} // namespace

bool parseBrandOptions(const std::vector<std::string>& arguments, BrandOptions& result, std::string& error)
{
    BrandOptions parsed;
    std::vector<std::string> paths;
    std::vector<std::string> seen;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            result = BrandOptions{};
            result.help = true;
            return true;
        }
        if (argument.size() < 2 || argument[0] != '-') {
            paths.push_back(argument);
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const Option* option = nullptr;
        for (const Option& candidate : options) {
            option = name == candidate.name ? &candidate : option;
        }
        if (option == nullptr) {
            error = "unknown option " + name + " (--help lists them)";
            return false;
        }
        for (const std::string& earlier : seen) {
            if (earlier == name) {
                error = name + " is given twice";
                return false;
            }
        }
        seen.push_back(name);
        std::string value;
        if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            error = name + " needs a value";
            return false;
        }
        if (!take(*option, value, parsed, error)) {
            return false;
        }
    }
    if (paths.size() != 2) {
        error = paths.size() < 2 ? "needs a source and a target executable (--help for more)"
                                 : "takes one source and one target, but more paths were given: " + paths[2];
        return false;
    }
    parsed.source = paths[0];
    parsed.target = paths[1];
    result = std::move(parsed);
    return true;
}

std::string brandUsage()
{
    return "Usage: quarnel-brand SOURCE.exe TARGET.exe [options]\n"
           "Copies one of our launchers to TARGET.exe with a product's icon, version details\n"
           "and manifest written in.\n"
           "  --icon FILE.ico            every image of the icon file as the program's icon\n"
           "  --file-version 1.2.3.4     (default: the product version, else 0.0.0.0)\n"
           "  --product-version 1.2.3.4  (default: the file version, else 0.0.0.0)\n"
           "  --product-name TEXT        (default: the file description, else TARGET's name)\n"
           "  --file-description TEXT    (default: the product name, else TARGET's name)\n"
           "  --company TEXT\n"
           "  --copyright TEXT\n"
           "  --original-filename TEXT   (default: TARGET's file name)\n"
           "  --internal-name TEXT       (default: TARGET's file name without extension)\n"
           "  --execution-level asInvoker|highestAvailable|requireAdministrator  (default: asInvoker)\n"
           "  --dpi-aware unaware|system|permonitor|permonitorv2                 (default: unaware)\n";
}

std::string fileNameOf(const std::string& path, bool windowsPaths)
{
    const std::size_t separator = path.find_last_of(windowsPaths ? "/\\:" : "/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

} // namespace brand
