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
        if (name != written + ".jsa") {
            std::fprintf(stderr, "archive %.*s is not %s.jsa\n", static_cast<int>(name.size()), name.data(),
                         written.c_str());
            std::abort();
        }
        break;
    case cache::Entry::owned:
        written += '.';
        text::appendDecimal(written, number);
        if (number > 0xffffffffu || name.substr(0, written.size() + 1) != written + "." ||
            name.size() <= written.size() + 1) {
            std::fprintf(stderr, "owned name does not start with %s.\n", written.c_str());
            std::abort();
        }
        break;
    case cache::Entry::foreign:
        if (name.substr(0, 17) == std::string_view(stem).substr(0, 17) && stem.size() == cache::stemLength) {
            std::abort(); // the application's own prefix
        }
        break;
    default:
        if (name.substr(0, 17) != std::string_view(stem).substr(0, 17)) {
            std::abort(); // another application's file taken for this one's
        }
        break;
    }

    cache::Job job;
    if (cache::parseJob(value, job)) {
        cache::Job again;
        if (!cache::parseJob(cache::jobValue(job), again) || again.create != job.create ||
            again.process != job.process || again.jvmPath != job.jvmPath || job.jvmPath.empty()) {
            std::abort();
        }
    }
    return cache::featureRelease(value) < 0 ? 1 : 0;
}
