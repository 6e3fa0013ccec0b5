#pragma once
// The one launcher object: all run state of a launch, created by the process
// entry and alive until the process ends. Subsystems read and write its
// fields directly; each field's comment names who writes it.

#include "cache/StartupCache.h"
#include "instance/SingleInstance.h"
#include "jre/JavaVersion.h"
#include "jre/JvmType.h"
#include "jvm/JvmGate.h"

#include <jni.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using CreateJavaVmFunction = jint(JNICALL*)(JavaVM**, void**, void*);
using GetDefaultJavaVmInitArgsFunction = jint(JNICALL*)(void*);

// The folder "Override WorkingDir" moves to: the module path before its last
// separator, so relative configuration paths are taken from the launcher's
// folder. For a launcher directly in a drive's root that is the bare drive
// designator ("C:"). Empty when the path has no separator or starts with one.
std::string workingFolderFor(std::string_view modulePath);

class JavaLauncher {
public:
    JavaLauncher() = default;
    JavaLauncher(const JavaLauncher&) = delete;
    JavaLauncher& operator=(const JavaLauncher&) = delete;

    // True when the process may go on; false when it must end with -1.
    [[nodiscard]] bool initialize() noexcept;
    // The configuration read, and the working folder moved to where it says
    // (a part of initialize, for the start-up cache's job too).
    [[nodiscard]] bool readSettings() noexcept;
    // 0, or -1 when a step failed (already reported).
    [[nodiscard]] int run() noexcept;
    // Called exactly once, on every path: destroys the JVM (which waits for
    // the Java program's non-daemon threads) before the single-instance
    // listener stops, because forwarding threads may still be inside Java,
    // and returns only when no thread of ours can touch the launcher again.
    void cleanup() noexcept;

    std::int32_t jvmType = JvmTypeDefault;       // configuration
    std::string jvmPath;                         // discovery: the JVM library to load
    JavaVM* javaVm = nullptr;                    // written by the Java thread
    JNIEnv* mainEnv = nullptr;                   // valid on the Java thread only
    std::string mainClass;                       // configuration, "." replaced by "/"; with a main
                                                 // module and none named, its descriptor's (Java thread)
    std::string mainModule;                      // configuration: "module" or "module/class", as written
    JavaVersion minVersion;                      // configuration
    JavaVersion maxVersion;                      // configuration
    std::vector<std::string> arguments;          // command line (and service start arguments)
    bool serviceMode = false;                    // configuration
    bool jvmSourceJdk = false;                   // configuration
    bool jvmSourceJre = false;                   // configuration
    bool jvmSourceFavour = true;                 // configuration
    std::vector<std::string> jvmOptions;         // option assembly
    std::vector<JavaVMOption> jvmOptionArray;    // jvmOptions as the JVM takes them
    std::vector<std::string> trailingJvmOptions; // service mode: after the configured ones
    std::vector<std::string> preferredVersions;  // configuration
    std::string jrePath;                         // configuration
    // Single-instance coordination: what this platform keeps of it while
    // the launch runs (instance/SingleInstance_<platform>.cpp).
    InstanceStateOwner instanceState;
    bool isFirstInstance = false;                // single-instance set-up
    bool singleInstance = false;                 // single-instance set-up
    std::string outputFile;                      // option assembly
    std::string errorFile;                       // option assembly
    std::string systemPath;                      // configuration
    std::string splashImage;                     // configuration, as written
    bool failureCheck = false;                   // configuration
    bool overrideWorkingDir = false;             // configuration
    std::uint32_t mainThreadStackSize = 0;       // option assembly (-Xss) or the JVM's default
    CreateJavaVmFunction createJavaVm = nullptr; // JVM library
    GetDefaultJavaVmInitArgsFunction getDefaultJavaVmInitArgs = nullptr;
    // Threads that call into Java beside main (forwarding, stop) wait here
    // for the program to start; opened by the Java thread, closed at teardown.
    JvmGate jvmGate;
    cache::StartupCache startupCache;            // configuration, start-up cache
};
