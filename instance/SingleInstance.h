#pragma once
// Single-instance coordination: a further start of the same launcher hands
// its arguments to the running one.

#include <memory>
#include <string>

class JavaLauncher;

// What a launch keeps of its coordination while it runs: each platform's
// own, defined and released by its implementation.
struct InstanceState;
struct InstanceStateRelease {
    void operator()(InstanceState* state) const noexcept;
};
using InstanceStateOwner = std::unique_ptr<InstanceState, InstanceStateRelease>;

// Whether the configuration asks for coordination: "Single Instance" exactly
// "yes" (lower case only), and never for a service.
bool coordinationRequested(const std::string& iniPath) noexcept;

// True: go on (first instance, handed-over second instance, or no
// coordination). False: end with -1. Fails, silently, when the configuration
// file's path cannot be derived, since this is the first reading of it.
[[nodiscard]] bool setUpSingleInstance(JavaLauncher& launcher) noexcept;

// Each platform's part. A new, empty state; null when memory is short.
InstanceState* newInstanceState() noexcept;
// The meeting of the instances, once coordination is requested and
// launcher.singleInstance set: `modulePath` is the launcher's own path,
// which names what they meet at. Returns as setUpSingleInstance does.
[[nodiscard]] bool meetOtherInstances(JavaLauncher& launcher, InstanceState& state,
                                      const std::string& modulePath) noexcept;

// Teardown, after the JVM is destroyed: stops the listener (it starts no
// forwarding thread afterwards) and releases the shared block, if any.
void stopSingleInstance(JavaLauncher& launcher) noexcept;
