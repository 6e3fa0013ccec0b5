#pragma once
// What one test asks of the fake JVM: read from fakejvm.ini beside the DLL.
// Pure text handling; the format is described at parseScript.

#include <map>
#include <string>
#include <vector>

namespace fakejvm {

// One step of a scripted Java method body.
struct Action {
    std::string verb;   // out, err, args, throw, exit, return, sleep, await, spawn, env, cwd, wait, signal
    std::string text;   // everything after the verb and one space
};

// A Java exception that a built-in method throws instead of doing its work.
struct Failure {
    std::string exceptionClass;  // slash form
    std::string message;         // may be empty: no message
};

struct Script {
    int createResult = 0;
    int createDelayMs = 0;
    std::string createWait;      // event name: creation waits for it
    bool dumpReturns = false;
    std::string createMessage;   // what the JVM says when creation fails (create=)    // -Xshare:dump returns a JVM (Java 25) instead of ending the process
    std::vector<Action> hook;    // a shutdown hook the program registers
    bool hasHook = false;
    std::vector<std::string> rejectedOptions;
    std::vector<std::string> reportedModules; // DLL names
    int defaultStackSize = 0;
    std::string mainClass;       // slash form; empty: the program has no class
    std::vector<Action> main;
    bool hasMain = true;
    bool mainMissingQuietly = false;
    bool hasSecondaryMain = false;
    std::vector<Action> secondaryMain;
    bool hasStop = false;
    std::vector<Action> stop;
    std::vector<std::string> hidden;        // "class" or "class.method"
    std::map<std::string, Failure> failures; // by "class.method"
    int attachResult = 0;
    int detachResult = 0;
};

// Splits "verb text;verb text;..." into actions; false (with `error` set)
// for an unknown verb. On failure `actions` is left untouched.
[[nodiscard]] bool parseActions(const std::string& text, std::vector<Action>& actions,
                                std::string& error);

// Parses a whole script; false with `error` naming the offending line.
// On failure `script` is left untouched.
[[nodiscard]] bool parseScript(const std::string& text, Script& script, std::string& error);

}  // namespace fakejvm
