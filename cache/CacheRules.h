#pragma once
// The start-up cache's rules over text: which archive a runtime can keep,
// when the configuration forbids one, how its files are named, and the JVM
// options for each step. Pure: no operating-system call.
//
// A cache lives in two steps. A run records the classes the program loads
// (-XX:DumpLoadedClassList); after the program has ended, a copy of the
// launcher makes a static class-data archive from that list in the
// background (-Xshare:dump), off the user's path; later runs hand the
// archive to the JVM (-XX:SharedArchiveFile). Java 13 is the first release
// whose archives hold the application's classes from such a list.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cache {

inline constexpr int firstArchivingRelease = 13;

// The feature release of a JAVA_VERSION text ("17.0.2" gives 17, "1.8.0_402"
// gives 8); 0 for a text without a number.
int featureRelease(std::string_view javaVersion) noexcept;

// The first of `options` that manages class sharing itself, or turns it
// off, so that the launcher keeps out of it; null when none does.
const char* optionManagingSharing(const std::vector<std::string>& options) noexcept;

// The files of one application and one key all start with its stem
// "<app>-<key>", both 16 hexadecimal digits: <app> hashes the launcher's
// path, <key> everything the archive depends on.
//   <stem>-<size>.jsa          the archive, with its size in bytes
//   <stem>.<pid>.classlist     a class list being written by <pid>
//   <stem>.<pid>.jsa           an archive being written by <pid>
//   <stem>.failed              making the archive failed for this key
inline constexpr std::size_t stemLength = 33;
std::string stemFor(std::uint64_t app, std::uint64_t key);
inline constexpr const char* archiveExtension = ".jsa";
inline constexpr const char* recordExtension = ".classlist";
inline constexpr const char* failedSuffix = ".failed";

// What a name in the cache folder is to the stem of the current key.
enum class Entry {
    foreign,  // another application's, or no file of ours at all
    otherKey, // this application's, made for what it no longer is
    archive,  // the archive: `number` is the size its name gives
    owned,    // being written by the process `number`
    failed,
    unknown,  // this key's, of no kind this launcher makes
};
Entry classify(std::string_view stem, std::string_view name, std::uint64_t& number) noexcept;

// The options of a run that records into `record`, of the copy that makes
// `archive` from `record`, and of a run that uses `archive`, for a runtime
// of `feature`, appended to `options`. Each keeps the JVM's own sharing
// messages off the program's output, and a run whose archive cannot be used
// runs on without it.
enum class Step { record, create, use };
void addOptions(std::vector<std::string>& options, Step step, int feature, const std::string& record,
                const std::string& archive);

// What a copy of the launcher started for the cache is to do, from its
// environment variable "<step>:<process>:<JVM library>": make the archive
// from the record of the ended launcher <process> ("make"), or, as the
// helper of the process <process> that does so, run the JVM that writes it
// ("create").
struct Job {
    bool create = false;
    std::uint32_t process = 0;
    std::string jvmPath;
};
std::string jobValue(const Job& job);
[[nodiscard]] bool parseJob(std::string_view value, Job& job);

} // namespace cache
