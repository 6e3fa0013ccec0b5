// quarnel-brand: a product's copy of one of our launchers, with its icon,
// version details and manifest. Nothing is written unless every input is
// sound; the target then appears whole, or stays as it was.

#include "brand/BrandOptions.h"
#include "brand/Branding.h"
#include "platform/ErrorText.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Utf8Console.h"
#include "platform/Utf8Files.h"

namespace {

// More than any launcher of ours, or any icon, could ever take.
constexpr std::size_t sourceLimit = 64 << 20;
constexpr std::size_t iconLimit = 16 << 20;

int fail(const std::string& message, int code = 1)
{
    platform::writeUtf8Error("quarnel-brand: " + message + "\n");
    return code;
}

// "cannot read x.ico: No such file or directory"
int failWithReason(const char* what, const std::string& path)
{
    return fail(std::string(what) + " " + path + ": " + platform::errorText(platform::lastError()));
}

} // namespace

int main(int argc, char** argv)
{
    brand::BrandOptions options;
    std::string error;
    if (!brand::parseBrandOptions(platform::utf8Arguments(argc, argv), options, error)) {
        return fail(error, 2);
    }
    if (options.help) {
        platform::writeUtf8Output(brand::brandUsage());
        return 0;
    }
    if (platform::sameFile(options.source, options.target)) {
        return fail(options.target + " is the source itself: the copy needs a name of its own");
    }
    std::string source, icon, branded;
    if (!platform::readWholeFile(options.source, sourceLimit, source)) {
        return failWithReason("cannot read", options.source);
    }
    if (options.icon && !platform::readWholeFile(*options.icon, iconLimit, icon)) {
        return failWithReason("cannot read", *options.icon);
    }
    const std::string targetName = brand::fileNameOf(options.target, platform::pathSeparator == '\\');
    if (!brand::brandExecutable(source, icon, options, targetName, branded, error)) {
        return fail(error);
    }
    if (!platform::writeWholeFile(options.target, branded)) {
        return failWithReason("cannot write", options.target);
    }
    return 0;
}
