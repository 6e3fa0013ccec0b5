#pragma once
// The start-up cache ("Startup Cache=yes" in [Application]): an archive of
// the application's classes that the launcher keeps for it in a per-user
// folder, so that later starts load them ready-made (cache/CacheRules.h
// has the rules and names). Nothing here ever stops a launch: a cache
// that cannot be had is passed over, and the trace says why.

#include "cache/CacheRules.h"

#include <jni.h>

#include <string>
#include <vector>

class JavaLauncher;

namespace cache {

// What a launch keeps of its cache between its start and its end.
struct StartupCache {
    bool requested = false; // configuration
    int feature = 0;        // of the runtime
    std::string folder; // ends in a separator
    std::string stem;   // the key's files' common start, without the folder
    // The record this run writes, to be handed on when the program has ended;
    // empty when it writes none.
    std::string recording;
};

// After the JVM options are built and before the JVM is created: adds the
// options that use the archive, or record what it is made from.
void prepareStartupCache(JavaLauncher& launcher) noexcept;

// The JVM's hooks a recording run needs, after its options.
void addStartupCacheHooks(const JavaLauncher& launcher, std::vector<JavaVMOption>& options);

// Once the program has ended (DestroyJavaVM has returned, or System.exit has
// come to its exit hook): hands a finished record to a copy of the launcher
// that makes the archive in the background. Does its work once per process.
void finishStartupCache(JavaLauncher& launcher) noexcept;

// Whether this process is such a copy, and then its whole work, the
// process's exit code; ordinary launches never call it.
bool isStartupCacheJob() noexcept;
int runStartupCacheJob(JavaLauncher& launcher) noexcept;

} // namespace cache
