#include "cache/CacheRules.h"

#include "text/Decimal.h"
#include "text/Hash.h"

namespace cache {
namespace {

bool isDigit(char c) noexcept { return c >= '0' && c <= '9'; }

bool startsWith(std::string_view text, std::string_view prefix) noexcept
{
    return text.substr(0, prefix.size()) == prefix;
}

// The decimal number at the start of `text` as the launcher writes one (at
// most 19 digits, no leading zero); how many digits it has (0: none).
std::size_t readNumber(std::string_view text, std::uint64_t& value) noexcept
{
    std::size_t i = 0;
    value = 0;
    for (; i < text.size() && i < 19 && isDigit(text[i]); ++i) {
        value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
    }
    const bool leadingZero = i > 1 && text[0] == '0';
    return leadingZero || (i < text.size() && isDigit(text[i])) ? 0 : i;
}

} // namespace

int featureRelease(std::string_view javaVersion) noexcept
{
    int numbers[2] = {0, 0};
    int found = 0;
    for (std::size_t i = 0; i < javaVersion.size() && found < 2;) {
        if (!isDigit(javaVersion[i])) {
            if (found == 1 && javaVersion[i] != '.') {
                break; // "17-ea", "21+35": only a dot leads to the next number
            }
            ++i;
            continue;
        }
        int value = 0;
        for (; i < javaVersion.size() && isDigit(javaVersion[i]); ++i) {
            value = value > 100000 ? value : value * 10 + (javaVersion[i] - '0');
        }
        numbers[found++] = value;
    }
    // Up to Java 8 the feature release came second: "1.8.0_402".
    return numbers[0] == 1 && found == 2 ? numbers[1] : numbers[0];
}

const char* optionManagingSharing(const std::vector<std::string>& options) noexcept
{
    static const char* const prefixes[] = {
        "-Xshare:",
        "-XX:SharedArchiveFile=",
        "-XX:ArchiveClassesAtExit=",
        "-XX:+AutoCreateSharedArchive",
        "-XX:SharedClassListFile=",
        "-XX:DumpLoadedClassList=",
        "-XX:-UseSharedSpaces",
        "-XX:AOTCache",
        "-XX:AOTConfiguration=",
        "-XX:AOTMode=",
    };
    for (const std::string& option : options) {
        for (const char* prefix : prefixes) {
            // -Xshare:auto is what the launcher asks for itself.
            if (startsWith(option, prefix) && option != "-Xshare:auto") {
                return option.c_str();
            }
        }
    }
    return nullptr;
}

std::string stemFor(std::uint64_t app, std::uint64_t key)
{
    std::string stem;
    text::appendHex(stem, app);
    stem += '-';
    text::appendHex(stem, key);
    return stem;
}

Entry classify(std::string_view stem, std::string_view name, std::uint64_t& number) noexcept
{
    if (stem.size() != stemLength || !startsWith(name, stem.substr(0, 17))) {
        return Entry::foreign;
    }
    if (!startsWith(name, stem)) {
        return Entry::otherKey;
    }
    std::string_view rest = name.substr(stem.size());
    if (rest == failedSuffix) {
        return Entry::failed;
    }
    if (rest.size() < 2 || (rest[0] != '-' && rest[0] != '.')) {
        return Entry::unknown;
    }
    const std::size_t digits = readNumber(rest.substr(1), number);
    const std::string_view after = rest.substr(1 + digits);
    if (digits == 0) {
        return Entry::unknown;
    }
    if (rest[0] == '-') {
        return after == archiveExtension ? Entry::archive : Entry::unknown;
    }
    return after.size() > 1 && after[0] == '.' && number <= 0xffffffffu ? Entry::owned : Entry::unknown;
}

void addOptions(std::vector<std::string>& options, Step step, int feature, const std::string& record,
                const std::string& archive)
{
    // -Xshare:auto: an archive that does not fit this runtime is passed over.
    options.push_back(step == Step::create ? "-Xshare:dump" : "-Xshare:auto");
    // -Xlog selections for tags a runtime does not know stop it from
    // starting: "aot" is asked to be quiet only where it exists.
    options.push_back(feature >= 25 ? "-Xlog:cds*=off,aot*=off" : "-Xlog:cds*=off");
    if (step != Step::use) {
        options.push_back((step == Step::record ? "-XX:DumpLoadedClassList=" : "-XX:SharedClassListFile=") + record);
    }
    if (step != Step::record) {
        options.push_back("-XX:SharedArchiveFile=" + archive);
    }
}

std::string jobValue(const Job& job)
{
    std::string value = job.create ? "create:" : "make:";
    text::appendDecimal(value, job.process);
    return value + ":" + job.jvmPath;
}

bool parseJob(std::string_view value, Job& job)
{
    const bool create = startsWith(value, "create:");
    if (!create && !startsWith(value, "make:")) {
        return false;
    }
    value.remove_prefix(create ? 7 : 5);
    std::uint64_t process = 0;
    const std::size_t digits = readNumber(value, process);
    if (digits == 0 || process > 0xffffffffu || digits + 1 >= value.size() || value[digits] != ':') {
        return false;
    }
    job.create = create;
    job.process = static_cast<std::uint32_t>(process);
    job.jvmPath = std::string(value.substr(digits + 1));
    return true;
}

} // namespace cache
