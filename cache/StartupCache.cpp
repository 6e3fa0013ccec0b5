#include "cache/StartupCache.h"

#include "jre/JvmLibrary.h"
#include "jre/ReleaseFile.h"
#include "jvm/JvmHost.h"
#include "jvm/JvmLoader.h"
#include "launcher/JavaLauncher.h"
#include "launcher/Trace.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Thread.h"
#include "text/Decimal.h"
#include "text/Hash.h"

#include <atomic>

namespace cache {
namespace {

constexpr const char* jobVariable = "QUARNEL_CACHE_JOB";
// How long a job waits for the launcher it follows to be gone.
constexpr std::uint32_t launcherEndMilliseconds = 60 * 1000;

// The launch whose program may end in System.exit, for the JVM's exit hook.
JavaLauncher* exitingLauncher = nullptr;
std::atomic<bool> finished{false};

// The per-user folder, made where missing, ending in a separator; empty when
// there is none to be had.
std::string cacheFolder() noexcept
{
#ifdef _WIN32
    std::string root = platform::environmentVariable("LOCALAPPDATA");
    const char* const own[] = {"\\Quarnel", "\\Cache"};
#else
    std::string root = platform::environmentVariable("XDG_CACHE_HOME");
    if (!platform::isAbsolutePath(root)) {
        root = platform::environmentVariable("HOME");
        root += root.empty() ? "" : "/.cache";
    }
    const char* const own[] = {"", "/quarnel"};
#endif
    if (!platform::isAbsolutePath(root)) {
        return {};
    }
    for (const char* folder : own) {
        root += folder;
        if (!platform::makeFolder(root)) {
            return {};
        }
    }
    return root + platform::pathSeparator;
}

// Everything the archive depends on: the runtime (its folder, release text
// and library), the options, and each class path entry as it is now.
// False when a class path entry is a folder: the JVM archives no class
// from a class path that holds one.
bool keyOf(const JavaLauncher& launcher, const std::string& release, std::uint64_t& key) noexcept
{
    std::string facts;
    std::string classPath;
    bool folder = false;
    const auto addFile = [&facts, &folder](const std::string& path) {
        platform::FileStamp stamp;
        facts += path;
        if (platform::fileStamp(path, stamp)) {
            folder = folder || stamp.folder;
            facts += ' ';
            text::appendDecimal(facts, stamp.size);
            facts += ' ';
            text::appendDecimal(facts, stamp.modified);
        }
        facts += '\n';
    };
    addFile(launcher.jvmPath);
    for (const std::string& option : launcher.jvmOptions) {
        // The library path carries the process's search path, which a
        // launch extends; the command carries the arguments.
        if (option.compare(0, 20, "-Djava.library.path=") != 0 && option.compare(0, 19, "-Dsun.java.command=") != 0) {
            facts += option;
            facts += '\n';
        }
        if (option.compare(0, 18, "-Djava.class.path=") == 0) {
            classPath = option.substr(18);
        }
    }
    // Neither separator can be the second byte of a double-byte character.
    const std::string current = platform::currentDirectory() + platform::pathSeparator;
    for (std::size_t start = 0; start <= classPath.size();) {
        std::size_t end = classPath.find(platform::pathListSeparator, start);
        end = end == std::string::npos ? classPath.size() : end;
        const std::string entry = classPath.substr(start, end - start);
        if (!entry.empty()) {
            addFile(platform::isAbsolutePath(entry) ? entry : current + entry);
        }
        start = end + 1;
    }
    key = text::hashText(facts, text::hashText(release));
    return !folder;
}

// What the cache of this launch is: its runtime release, folder and stem. Null,
// or the reason why it can have none.
const char* planCache(JavaLauncher& launcher) noexcept
{
    StartupCache& cache = launcher.startupCache;
    if (launcher.serviceMode) {
        return "service mode";
    }
    if (optionManagingSharing(launcher.jvmOptions) != nullptr) {
        return "an option manages class sharing";
    }
    std::string release;
    std::string version;
    if (!platform::readFile(jreHomeOf(launcher.jvmPath) + platform::pathSeparator + releaseFileName,
                            releaseFileLimit, platform::Beyond::cut, release) ||
        !releaseVersion(release, version)) {
        return "the runtime has no release file that names its version";
    }
    cache.feature = featureRelease(version);
    if (cache.feature < firstArchivingRelease) {
        return "the runtime keeps no archive of application classes";
    }
    std::uint64_t key = 0;
    if (!keyOf(launcher, release, key)) {
        return "a class path entry is a folder";
    }
    std::string module;
    cache.folder = cacheFolder();
    if (!platform::moduleFileName(module) || cache.folder.empty()) {
        return "no cache folder can be made";
    }
    cache.stem = stemFor(text::hashText(module), key);
    return nullptr;
}

// A path of the key's files: the folder, the stem, and what follows.
std::string pathOf(const StartupCache& cache, char mark, std::uint64_t number, const char* extension)
{
    std::string path = cache.folder + cache.stem;
    if (mark != '\0') {
        path += mark;
        text::appendDecimal(path, number);
    }
    return path + extension;
}

std::string ownPath(const StartupCache& cache, std::uint32_t process, bool archive)
{
    return pathOf(cache, '.', process, archive ? archiveExtension : recordExtension);
}

bool hasEnded(std::uint64_t process) noexcept
{
    return platform::awaitProcessEnd(static_cast<std::uint32_t>(process), 0);
}

void traceVerdict(const std::string& file, const char* verdict) noexcept
{
    trace("startup cache: class-data archive %s: %s", file.c_str(), verdict);
}

void JNICALL exitHook(jint)
{
    if (exitingLauncher != nullptr) {
        finishStartupCache(*exitingLauncher);
    }
}

unsigned createRoutine(void* launcher)
{
    JavaLauncher& creator = *static_cast<JavaLauncher*>(launcher);
    // Once the archive is written, the JVM ends the process itself (up to
    // Java 24) or returns a JVM to be destroyed (25).
    if (!createJvm(creator)) {
        return 1;
    }
    creator.javaVm->DestroyJavaVM();
    creator.javaVm = nullptr;
    creator.mainEnv = nullptr;
    return 0;
}

// The helper's work: the JVM that writes the archive of `job`'s record.
int createArchive(JavaLauncher& launcher, std::uint32_t process)
{
    const StartupCache& cache = launcher.startupCache;
    const std::string record = ownPath(cache, process, false);
    if (!platform::fileExists(record) || !loadJvmLibrary(launcher)) {
        return 1;
    }
    addOptions(launcher.jvmOptions, Step::create, cache.feature, record, ownPath(cache, process, true));
    unsigned code = 1;
    return platform::runThread(0, createRoutine, &launcher, code) ? static_cast<int>(code) : 1;
}

// The job after a launch that recorded: makes the archive from its record
// through a helper, and puts it in place whole. One job per key does the
// work; the others leave it to the one with the lowest process number.
int makeArchive(JavaLauncher& launcher, Job job)
{
    const StartupCache& cache = launcher.startupCache;
    const std::string record = ownPath(cache, job.process, false);
    const std::uint32_t self = platform::processId();
    std::vector<std::string> listed;
    if (!platform::fileExists(record) || !platform::listFolder(cache.folder, listed)) {
        return 0; // the key has changed since, or another start took it
    }
    for (const std::string& name : listed) {
        std::uint64_t number = 0;
        const Entry entry = classify(cache.stem, name, number);
        if (entry == Entry::archive ||
            (entry == Entry::owned && number < self && number != job.process && !hasEnded(number))) {
            platform::removeFile(record);
            return 0;
        }
    }
    const std::string mine = ownPath(cache, self, false);
    const std::string made = ownPath(cache, self, true);
    std::uint32_t code = 1;
    platform::FileStamp stamp;
    job.create = true;
    job.process = self;
    if (platform::replaceFile(record, mine) && platform::runOwnCopy(jobVariable, jobValue(job), &code) &&
        code == 0 && platform::fileStamp(made, stamp) && stamp.size > 0 &&
        platform::replaceFile(made, pathOf(cache, '-', stamp.size, archiveExtension))) {
        platform::removeFile(mine);
        return 0;
    }
    // Not again for this key: what failed once would fail at every start.
    platform::removeFile(made);
    if (!platform::replaceFile(mine, pathOf(cache, '\0', 0, failedSuffix))) {
        platform::removeFile(mine);
    }
    return 1;
}

} // namespace

void prepareStartupCache(JavaLauncher& launcher) noexcept
{
    StartupCache& cache = launcher.startupCache;
    if (!cache.requested) {
        return;
    }
    const char* why = planCache(launcher);
    std::vector<std::string> listed;
    if (why == nullptr && !platform::listFolder(cache.folder, listed)) {
        why = "the cache folder cannot be read";
    }
    if (why != nullptr) {
        trace("startup cache: unavailable: %s", why);
        return;
    }
    std::string archive;
    bool stale = false;
    why = nullptr;
    for (const std::string& name : listed) {
        const std::string path = cache.folder + name;
        std::uint64_t number = 0;
        platform::FileStamp stamp;
        switch (classify(cache.stem, name, number)) {
        case Entry::otherKey:
            platform::removeFile(path);
            stale = true;
            break;
        case Entry::archive:
            // A file cut short, or foreign, is never handed to the JVM: some
            // runtimes die of one instead of passing it over.
            if (archive.empty() && number > 0 && platform::fileStamp(path, stamp) && stamp.size == number) {
                archive = path;
            } else {
                platform::removeFile(path);
            }
            break;
        case Entry::owned:
            if (hasEnded(number)) {
                platform::removeFile(path); // left by a start or job that was killed
            } else {
                why = "unavailable: another start is making it";
            }
            break;
        case Entry::failed:
            why = "unavailable: making it failed";
            break;
        default:
            break;
        }
    }
    std::vector<std::string> options;
    if (!archive.empty()) {
        addOptions(options, Step::use, cache.feature, std::string(), archive);
        traceVerdict(archive, "used");
    } else if (why != nullptr) {
        traceVerdict(cache.folder + cache.stem, why);
        return;
    } else if (!platform::createNewFile(ownPath(cache, platform::processId(), false))) {
        // The JVM would say so on the program's output.
        traceVerdict(cache.folder, "unavailable: the folder cannot be written");
        return;
    } else {
        cache.recording = ownPath(cache, platform::processId(), false);
        addOptions(options, Step::record, cache.feature, cache.recording, std::string());
        exitingLauncher = &launcher;
        traceVerdict(cache.recording, stale ? "stale, replaced: recording" : "recording");
    }
    // First, so that the program's own -Xlog choices win over the quiet ones.
    for (std::string& option : launcher.jvmOptions) {
        options.push_back(std::move(option));
    }
    launcher.jvmOptions.swap(options);
}

void addStartupCacheHooks(const JavaLauncher& launcher, std::vector<JavaVMOption>& options)
{
    const StartupCache& cache = launcher.startupCache;
    if (cache.recording.empty()) {
        return;
    }
    options.push_back(JavaVMOption{const_cast<char*>("exit"), reinterpret_cast<void*>(exitHook)});
}

void finishStartupCache(JavaLauncher& launcher) noexcept
{
    StartupCache& cache = launcher.startupCache;
    if (cache.recording.empty() || finished.exchange(true)) {
        return;
    }
    platform::FileStamp stamp;
    const char* verdict = "created at exit, in the background";
    if (!platform::fileStamp(cache.recording, stamp) || stamp.size == 0) {
        verdict = "unavailable: nothing was recorded";
    } else if (!platform::runOwnCopy(jobVariable, jobValue(Job{false, platform::processId(), launcher.jvmPath}),
                                     nullptr)) {
        verdict = "unavailable: the job that makes it cannot start";
    } else {
        cache.recording.clear(); // the job's now
    }
    if (!cache.recording.empty()) {
        platform::removeFile(cache.recording);
    }
    traceVerdict(cache.folder + cache.stem + archiveExtension, verdict);
}

bool isStartupCacheJob() noexcept { return !platform::environmentVariable(jobVariable).empty(); }

int runStartupCacheJob(JavaLauncher& launcher) noexcept
{
    Job job;
    if (!parseJob(platform::environmentVariable(jobVariable), job)) {
        return 1;
    }
    if (!job.create) {
        static_cast<void>(platform::awaitProcessEnd(job.process, launcherEndMilliseconds));
    }
    // The same configuration, runtime and options as the launch it follows:
    // the key then names the same files, unless something has changed since.
    if (!launcher.readSettings() || !launcher.startupCache.requested) {
        return 1;
    }
    launcher.jvmPath = job.jvmPath;
    preparePaths(launcher);
    if (!buildJvmOptions(launcher) || planCache(launcher) != nullptr) {
        return 1;
    }
    return job.create ? createArchive(launcher, job.process) : makeArchive(launcher, job);
}

} // namespace cache
