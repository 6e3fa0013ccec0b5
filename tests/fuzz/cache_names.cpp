// The start-up cache's names and job variable: whatever a cache folder or
// the environment holds, a name is taken for an archive or a process's file
// only when it is exactly what the launcher writes for that size or
// process, and a job value is taken only when writing it back gives the same
// job.

#include "cache/CacheRules.h"
#include "text/Decimal.h"
#include "text/Hash.h"

#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::string_view seed = input.field();
    const std::string_view name = input.field();
    const std::string_view value = input.field();

    // A stem of this run's own, or the start of the name when that fits one.
    std::string stem = cache::stemFor(text::hashText(seed), seed.size());
    if (name.size() >= cache::stemLength && (seed.size() & 1) != 0) {
        stem = std::string(name.substr(0, cache::stemLength));
    }
    std::uint64_t number = 0;
    const cache::Entry entry = cache::classify(stem, name, number);
    std::string written = stem;
    switch (entry) {
    case cache::Entry::archive:
        written += '-';
        text::appendDecimal(written, number);
        FUZZ_CHECK(name == written + ".jsa");
        break;
    case cache::Entry::owned:
        written += '.';
        text::appendDecimal(written, number);
        FUZZ_CHECK(number <= 0xffffffffu && name.substr(0, written.size() + 1) == written + "." &&
                   name.size() > written.size() + 1);
        break;
    case cache::Entry::foreign:
        // Not a file of this application's.
        FUZZ_CHECK(name.substr(0, 17) != std::string_view(stem).substr(0, 17) || stem.size() != cache::stemLength);
        break;
    default:
        // Never another application's file taken for this one's.
        FUZZ_CHECK(name.substr(0, 17) == std::string_view(stem).substr(0, 17));
        break;
    }

    cache::Job job;
    if (cache::parseJob(value, job)) {
        cache::Job again;
        FUZZ_CHECK(cache::parseJob(cache::jobValue(job), again) && again.create == job.create &&
                   again.process == job.process && again.jvmPath == job.jvmPath && !job.jvmPath.empty());
    }
    // A release is never negative, and a text without a digit has none.
    const int release = cache::featureRelease(value);
    FUZZ_CHECK(release >= 0);
    FUZZ_CHECK(release == 0 || value.find_first_of("0123456789") != std::string_view::npos);
    return 0;
}
