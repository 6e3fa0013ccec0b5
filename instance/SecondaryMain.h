#pragma once
// The first instance's side of a hand-over, whatever carried it: a
// forwarding thread of its own gives the running program the arguments,
// through the main class's static secondaryMain, or tells the further start
// that it cannot.

#include "jvm/JvmGate.h"

#include <memory>
#include <string>
#include <vector>

class JavaLauncher;

// One hand-over on its way to secondaryMain, owned by its forwarding
// thread. Each platform carries the arguments and the answer its own way.
class HandOver : public GateUser {
public:
    explicit HandOver(JavaLauncher& launcher) noexcept : launcher_(launcher) {}
    virtual ~HandOver() = default;
    HandOver(const HandOver&) = delete;
    HandOver& operator=(const HandOver&) = delete;

    virtual std::vector<std::string> arguments() const = 0;
    // The program will take the arguments. True when the further start
    // still waits for this answer and will end with 0 on it; false when it
    // has given up (it ends with -1), and then nothing may be delivered.
    [[nodiscard]] virtual bool take() noexcept = 0;
    // The program cannot take them: it never ran, it has ended, or it has
    // begun to shut down. The further start waits for this instance to end.
    virtual void refuse() noexcept = 0;

    JavaLauncher& launcher() const noexcept { return launcher_; }

private:
    JavaLauncher& launcher_;
};

// Starts the forwarding thread of `handOver` at the launcher's gate, which
// then owns it: it waits until the Java program runs (hand-overs are held,
// in arrival order, while the JVM is being created), answers, and once
// taken calls secondaryMain with the arguments, describing any Java
// exception left pending (a missing class or method shows up so). Calls
// begin in arrival order and then run side by side. When the program is
// shutting down or gone no thread starts: the hand-over is refused, and
// released here.
void startForwarding(std::unique_ptr<HandOver> handOver) noexcept;
