#include "Script.h"

#include <cstdlib>
#include <cerrno>

// Script format: one `key=value` per line, CR LF or LF; blank lines and
// lines starting with '#' are ignored. Values are taken byte for byte (only
// a trailing CR goes), so class names and texts may hold any ANSI bytes.
//
//   create=<int>             JNI_CreateJavaVM returns this code (default 0)
//   createDelay=<ms>         JNI_CreateJavaVM takes this long (a slow start)
//   createMessage=<text>     what the JVM says (a line of its own) when
//                            creation fails: through the vfprintf hook of
//                            the options when one is given, else on
//                            standard error
//   dump=returns             after -Xshare:dump, JNI_CreateJavaVM returns a
//                            JVM, as Java 25 does; before 25 the process
//                            ends once the archive is written
//   createWait=<name>        JNI_CreateJavaVM waits (30 s at most) for the
//                            named event before it goes on, so that a test
//                            decides when creation ends
//   hook=<actions>           the program's shutdown hook: run on a thread of
//                            its own once the JVM shuts down (in
//                            DestroyJavaVM after the program's threads
//                            ended, or in System.exit), while
//                            Runtime.removeShutdownHook is refused
//   reject=<option>          an option the JVM does not recognise: creation
//                            fails with -1 (JNI_ERR) unless ignoreUnrecognized
//   loaded=<dll>             JNI_CreateJavaVM logs whether the process has
//                            loaded this DLL (repeatable)
//   defaultStackSize=<int>   javaStackSize that JNI_GetDefaultJavaVMInitArgs
//                            reports for JNI_VERSION_1_1 (default 0)
//   class=<name>             the program's main class, slash form
//   main=<actions>           body of main([Ljava/lang/String;)V (default empty)
//   nomain                   the class has no main: NoSuchMethodError pending
//   nomain=quiet             no main, and GetStaticMethodID leaves no exception
//   secondaryMain=<actions>  the class has secondaryMain([Ljava/lang/String;)V
//   stop=<actions>           the class has stop()V
//   hide=<class>             FindClass fails: NoClassDefFoundError pending
//   hide=<class>.<method>    Get(Static)MethodID fails: NoSuchMethodError
//   fail=<class>.<method> <exceptionClass> [message]
//                            the built-in method throws instead of working,
//                            e.g. fail=java/lang/System.exit
//                            java/lang/SecurityException exit refused
//   attach=<int>             AttachCurrentThread returns it without attaching
//   detach=<int>             DetachCurrentThread detaches but returns it
//
// Actions are separated by ';'; each is a verb, one space, and its text:
//   out <text>               System.out.println(text)
//   err <text>               System.err.println(text)
//   args                     prints arg[<i>]=<bytes> per argument to System.out
//   throw <class> [message]  throws; the method ends with it pending
//   exit <n>                 System.exit(n)
//   return                   ends the method
//   sleep <ms>
//   await <method> <count> [ms]  waits until secondaryMain or stop has
//                            finished <count> times (default limit 30000 ms)
//   spawn <ms> [text]        starts a non-daemon thread that sleeps and then
//                            prints text; DestroyJavaVM waits for it
//   spawn @<name> [text]     the same, waiting for the named event instead
//   env <NAME>               prints NAME=<value>, or NAME is not set
//   cwd                      prints the current directory
//   wait <name> [ms]         waits until the named event is signalled (by a
//                            `signal` or by the test; default limit 30000 ms)
//   signal <name>            signals it; it stays signalled, so a test uses
//                            names of its own
//
// Named events are the manual-reset events "fakejvm-<name>" of the session:
// a test opens the same one with CreateEventA to release a waiting method,
// and keeps its handle until the launcher has ended (the event goes with the
// last handle).

namespace fakejvm {
namespace {

const char* const knownVerbs[] = {"out",   "err",   "args",  "throw", "exit", "return",
                                  "sleep", "await", "spawn", "env",   "cwd",
                                  "wait",  "signal"};

bool isKnownVerb(const std::string& verb) {
    for (const char* known : knownVerbs) {
        if (verb == known) {
            return true;
        }
    }
    return false;
}

bool parseInt(const std::string& text, int& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text.c_str(), &end, 0);
    if (*end != '\0' || errno != 0 || parsed < -2147483647L - 1 || parsed > 2147483647L) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

}  // namespace

bool parseActions(const std::string& text, std::vector<Action>& actions, std::string& error) {
    std::vector<Action> parsed;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(';', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string piece = text.substr(start, end - start);
        const std::size_t first = piece.find_first_not_of(' ');
        if (first != std::string::npos) {
            piece.erase(0, first);
            const std::size_t space = piece.find(' ');
            Action action;
            action.verb = piece.substr(0, space);
            if (space != std::string::npos) {
                action.text = piece.substr(space + 1);
            }
            if (!isKnownVerb(action.verb)) {
                error = "unknown action '" + action.verb + "'";
                return false;
            }
            parsed.push_back(action);
        }
        start = end + 1;
    }
    actions = parsed;
    return true;
}

bool parseScript(const std::string& text, Script& script, std::string& error) {
    Script parsed;
    std::size_t start = 0;
    int lineNumber = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') {
            continue;
        }
        const std::size_t equals = line.find('=');
        const std::string key = line.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : line.substr(equals + 1);
        const std::string where = "line " + std::to_string(lineNumber) + " (" + line + "): ";
        bool good = true;
        if (key == "create") {
            good = parseInt(value, parsed.createResult);
        } else if (key == "createDelay") {
            good = parseInt(value, parsed.createDelayMs) && parsed.createDelayMs >= 0;
        } else if (key == "createMessage") {
            parsed.createMessage = value;
        } else if (key == "dump" && value == "returns") {
            parsed.dumpReturns = true;
        } else if (key == "createWait") {
            parsed.createWait = value;
            good = !value.empty();
        } else if (key == "hook") {
            parsed.hasHook = true;
            good = parseActions(value, parsed.hook, error);
        } else if (key == "reject") {
            parsed.rejectedOptions.push_back(value);
        } else if (key == "loaded") {
            parsed.reportedModules.push_back(value);
            good = !value.empty();
        } else if (key == "defaultStackSize") {
            good = parseInt(value, parsed.defaultStackSize);
        } else if (key == "class") {
            parsed.mainClass = value;
        } else if (key == "main") {
            good = parseActions(value, parsed.main, error);
        } else if (key == "nomain") {
            parsed.hasMain = false;
            parsed.mainMissingQuietly = value == "quiet";
            good = value.empty() || value == "quiet";
        } else if (key == "secondaryMain") {
            parsed.hasSecondaryMain = true;
            good = parseActions(value, parsed.secondaryMain, error);
        } else if (key == "stop") {
            parsed.hasStop = true;
            good = parseActions(value, parsed.stop, error);
        } else if (key == "hide") {
            parsed.hidden.push_back(value);
        } else if (key == "fail") {
            const std::size_t first = value.find(' ');
            const std::size_t second =
                first == std::string::npos ? std::string::npos : value.find(' ', first + 1);
            Failure failure;
            if (first == std::string::npos) {
                good = false;
            } else {
                failure.exceptionClass = value.substr(first + 1, second - first - 1);
                if (second != std::string::npos) {
                    failure.message = value.substr(second + 1);
                }
                parsed.failures[value.substr(0, first)] = failure;
                good = !failure.exceptionClass.empty();
            }
        } else if (key == "attach") {
            good = parseInt(value, parsed.attachResult);
        } else if (key == "detach") {
            good = parseInt(value, parsed.detachResult);
        } else {
            error = "unknown key '" + key + "'";
            good = false;
        }
        if (!good) {
            error = where + (error.empty() ? "bad value" : error);
            return false;
        }
    }
    script = parsed;
    return true;
}

}  // namespace fakejvm
