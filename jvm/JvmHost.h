#pragma once
// Hosting the JVM in this process: option assembly, loading the library,
// and the Java thread that runs main.

#include <cstdint>

class JavaLauncher;

// Native library path option and the process Path; before the library loads.
void preparePaths(JavaLauncher& launcher) noexcept;
// Loads launcher.jvmPath and finds its entry points (failure reported).
[[nodiscard]] bool loadJvmLibrary(JavaLauncher& launcher) noexcept;
// Class path, parameters and redirection names (failure reported).
[[nodiscard]] bool buildJvmOptions(JavaLauncher& launcher) noexcept;
// Runs the Java thread to its end; its exit code (0 success, 1 failure).
std::uint32_t runJavaThread(JavaLauncher& launcher) noexcept;
