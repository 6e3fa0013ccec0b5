#pragma once
// Single-instance coordination: a further start of the same launcher hands
// its arguments to the running one.

#include <string>

class JavaLauncher;

// Whether the configuration asks for coordination: "Single Instance" exactly
// "yes" (lower case only), and never for a service.
bool coordinationRequested(const std::string& iniPath) noexcept;

// How a start stands towards coordination, with the launcher's own path,
// which names what the instances meet at, when it is requested. Failed when
// the configuration file's path cannot be derived.
enum class Coordination { failed, notRequested, requested };
Coordination coordinationFor(std::string& modulePath) noexcept;

// True: go on (first instance, handed-over second instance, or no
// coordination). False: end with -1. Fails, silently, when the configuration
// file's path cannot be derived, since this is the first reading of it.
[[nodiscard]] bool setUpSingleInstance(JavaLauncher& launcher) noexcept;

// Teardown, after the JVM is destroyed: stops the listener (it starts no
// forwarding thread afterwards) and releases the shared block, if any.
void stopSingleInstance(JavaLauncher& launcher) noexcept;
