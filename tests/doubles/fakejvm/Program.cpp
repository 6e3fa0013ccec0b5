#include "FakeJvm.h"

#include <cstdlib>
#include <map>

namespace fakejvm {
namespace {

std::map<std::string, int> finishedCalls;  // guarded by the world lock

int number(const std::string& text, const Action& action) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0') {
        fatal("script: action '" + action.verb + " " + action.text + "' needs a number");
    }
    return static_cast<int>(value);
}

// Splits "first rest of text" at the first space.
void splitWord(const std::string& text, std::string& first, std::string& rest) {
    const std::size_t space = text.find(' ');
    first = text.substr(0, space);
    rest = space == std::string::npos ? std::string() : text.substr(space + 1);
}

struct SpawnedJob {
    ThreadState* thread = nullptr;
    DWORD sleepMs = 0;
    HANDLE until = nullptr;  // an event to wait for instead (30 s at most)
    std::string text;
};

DWORD WINAPI runSpawned(void* parameter) {
    SpawnedJob* job = static_cast<SpawnedJob*>(parameter);
    if (job->until != nullptr) {
        WaitForSingleObject(job->until, 30000);
    } else {
        Sleep(job->sleepMs);
    }
    if (!job->text.empty()) {
        println(systemOut(), job->text);
    }
    logLine(job->thread->name + " ended");
    detachThread(*job->thread);
    delete job;
    return 0;
}

void spawn(const Action& action) {
    std::string delay;
    std::string text;
    splitWord(action.text, delay, text);
    SpawnedJob* job = new SpawnedJob;
    if (!delay.empty() && delay[0] == '@') {
        job->until = namedEvent(delay.substr(1));
    } else {
        job->sleepMs = static_cast<DWORD>(number(delay, action));
    }
    job->text = text;
    DWORD id = 0;
    HANDLE handle = CreateThread(nullptr, 0, runSpawned, job, CREATE_SUSPENDED, &id);
    if (handle == nullptr) {
        fatal("spawn: CreateThread failed");
    }
    job->thread = &attachThread(id, handle, false);
    logLine("spawn " + job->thread->name);
    ResumeThread(handle);
}

void await(const Action& action) {
    std::string method;
    std::string rest;
    std::string countText;
    std::string limitText;
    splitWord(action.text, method, rest);
    splitWord(rest, countText, limitText);
    const int count = number(countText, action);
    const DWORD limit = limitText.empty() ? 30000 : static_cast<DWORD>(number(limitText, action));
    const DWORD start = GetTickCount();
    for (;;) {
        {
            Locked locked;
            if (finishedCalls[method] >= count) {
                return;
            }
        }
        if (GetTickCount() - start >= limit) {
            logLine("await " + method + " timed out");
            return;
        }
        Sleep(10);
    }
}

// Kept open until the process ends: a named event exists only while somebody
// holds it, so a signal given before anyone waits would vanish with its
// handle, and the wait after it would never see it.
std::map<std::string, HANDLE> namedEvents;  // guarded by the world lock

void waitFor(const Action& action) {
    std::string name;
    std::string limitText;
    splitWord(action.text, name, limitText);
    const DWORD limit = limitText.empty() ? 30000 : static_cast<DWORD>(number(limitText, action));
    HANDLE event = namedEvent(name);
    if (WaitForSingleObject(event, limit) != WAIT_OBJECT_0) {
        logLine("wait " + name + " timed out");
    }
}

void signal(const Action& action) {
    SetEvent(namedEvent(action.text));
    logLine("signal " + action.text);
}

}  // namespace

HANDLE namedEvent(const std::string& name) {
    Locked locked;
    HANDLE& event = namedEvents[name];
    if (event == nullptr) {
        event = CreateEventA(nullptr, TRUE, FALSE, ("fakejvm-" + name).c_str());
        if (event == nullptr) {
            fatal("cannot create the event fakejvm-" + name);
        }
    }
    return event;
}

void countFinished(const std::string& method) {
    Locked locked;
    ++finishedCalls[method];
}

void runActions(ThreadState& thread, const std::vector<Action>& actions, Object* arguments,
                const std::string& frame) {
    for (const Action& action : actions) {
        freezeIfExited();
        const std::string& verb = action.verb;
        if (verb == "out") {
            println(systemOut(), action.text);
        } else if (verb == "err") {
            println(systemErr(), action.text);
        } else if (verb == "args") {
            if (arguments == nullptr) {
                continue;
            }
            for (std::size_t i = 0; i < arguments->elements.size(); ++i) {
                const Object* element = arguments->elements[i];
                println(systemOut(), "arg[" + std::to_string(i) + "]=" +
                                         (element == nullptr ? "null" : element->bytes));
            }
        } else if (verb == "throw") {
            std::string className;
            std::string message;
            splitWord(action.text, className, message);
            throwNew(thread, className, message, frame);
            return;
        } else if (verb == "exit") {
            systemExit(number(action.text, action));
        } else if (verb == "return") {
            return;
        } else if (verb == "sleep") {
            Sleep(static_cast<DWORD>(number(action.text, action)));
        } else if (verb == "await") {
            await(action);
        } else if (verb == "spawn") {
            spawn(action);
        } else if (verb == "wait") {
            waitFor(action);
        } else if (verb == "signal") {
            signal(action);
        } else if (verb == "env") {
            char value[32767];
            SetLastError(0);
            const DWORD length = GetEnvironmentVariableA(action.text.c_str(), value, sizeof value);
            const bool set = length < sizeof value && GetLastError() != ERROR_ENVVAR_NOT_FOUND;
            println(systemOut(), set ? action.text + "=" + std::string(value, length)
                                     : action.text + " is not set");
        } else if (verb == "cwd") {
            char folder[MAX_PATH * 2] = {};
            GetCurrentDirectoryA(sizeof folder, folder);
            println(systemOut(), folder);
        }
    }
    freezeIfExited();
}

}  // namespace fakejvm
