#include "jvm/JvmHost.h"

#include "launcher/JavaLauncher.h"

// Until discovery can find a runtime, no launch gets this far.
void preparePaths(JavaLauncher&) noexcept {}
bool loadJvmLibrary(JavaLauncher&) noexcept { return false; }
bool buildJvmOptions(JavaLauncher&) noexcept { return false; }
std::uint32_t runJavaThread(JavaLauncher&) noexcept { return 1; }
