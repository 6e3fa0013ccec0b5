#pragma once
// The first instance's side of a hand-over, whatever carried it: a
// forwarding thread of its own gives the running program the arguments,
// through the main class's static secondaryMain, or tells the further start
// that it cannot.

#include <cstdint>
#include <string>
#include <vector>

class JavaLauncher;

// How a forwarding thread answers the further start it serves. Each
// platform carries the answer its own way.
class HandOverReply {
public:
    // The program will take the arguments. True when the further start
    // still waits for this answer and will end with 0 on it; false when it
    // has given up (it ends with -1), and then nothing may be delivered.
    [[nodiscard]] virtual bool take() noexcept = 0;
    // The program cannot take them: it never ran, it has ended, or it has
    // begun to shut down. The further start waits for this instance to end.
    virtual void refuse() noexcept = 0;

protected:
    ~HandOverReply() = default;
};

// On a forwarding thread admitted to the launcher's gate with `ticket`:
// waits until the Java program runs (hand-overs are held, in the order of
// their tickets, while the JVM is being created), answers through `reply`,
// and once taken calls secondaryMain with the arguments, describing any Java
// exception left pending (a missing class or method shows up so). Calls
// begin in ticket order and then run side by side. Does not leave the gate:
// the caller does that as its very last act, once it has released what it
// owns.
void forwardHandOver(JavaLauncher& launcher, std::uint64_t ticket, const std::vector<std::string>& arguments,
                     HandOverReply& reply) noexcept;
