#pragma once
// The first instance's side of a hand-over, whatever carried it: a
// forwarding thread of its own passes the arguments to the main class's
// static secondaryMain.

#include <cstdint>
#include <string>
#include <vector>

class JavaLauncher;

// On a forwarding thread admitted to the launcher's gate with `ticket`:
// waits until the Java program runs, attaches, calls secondaryMain with the
// arguments, describes any Java exception left pending (a missing class or
// method shows up so) and detaches; nothing when no program runs (any
// more). Hand-overs begin in the order of their tickets and then run side
// by side. Does not leave the gate: the caller does that as its very last
// act, once it has released what it owns.
void deliverToSecondaryMain(JavaLauncher& launcher, std::uint64_t ticket,
                            const std::vector<std::string>& arguments) noexcept;
