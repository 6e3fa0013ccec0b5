#pragma once
// A product folder for one functional test: the launcher copied under the
// product's name into a scratch folder of its own, files beside it, and a run
// with an exact raw command line that captures what the launcher leaves.

#include "Folders.h"
#include "Waiting.h"

#include <string>
#include <vector>

struct LaunchResult {
    std::string out;   // bytes on standard output
    std::string err;   // bytes on standard error
    int exitCode = 0;  // as the launcher returned it (-1 for 0xFFFFFFFF)
};

// A desktop of a window station that nobody sees, as a service's is: a
// launcher started there must not wait for a dialog.
inline const char* const unseenDesktop = "QuarnelUnseen\\Default";

// A launcher started and not yet waited for, so that a test can work with it
// meanwhile; waited for (at most a minute) when it goes out of scope.
class RunningLaunch {
public:
    RunningLaunch(void* process, void* thread, unsigned long processId, std::string outPath, std::string errPath);
    RunningLaunch(RunningLaunch&& other) noexcept;
    RunningLaunch(const RunningLaunch&) = delete;
    RunningLaunch& operator=(const RunningLaunch&) = delete;
    ~RunningLaunch();

    // Lets a launch spawned suspended begin.
    void resume() const;
    // Whether it is still running after waiting up to `milliseconds`.
    bool stillRunning(unsigned milliseconds = 0) const;
    // Waits for the end (at most `timeoutMs`, then it is killed) and collects.
    LaunchResult finish(unsigned long timeoutMs = 60000);
    unsigned long processId() const { return processId_; }
    void* process() const { return process_; }
    // What it has written so far.
    std::string out() const;
    std::string err() const;

private:
    void* process_ = nullptr;
    void* thread_ = nullptr;
    unsigned long processId_ = 0;
    std::string outPath_;
    std::string errPath_;
};

class Product {
public:
    // A fresh folder C:\qt\<name>\ holding the launcher as `exeName` (the
    // build's executable QT_LAUNCHER names when that is set).
    explicit Product(const std::string& name, const std::string& exeName = "app.exe");

    const std::string& folder() const { return folder_; }      // ends in a backslash
    std::string exePath() const { return folder_ + exeName_; }
    // The configuration file beside the launcher (exe name with "ini").
    std::string iniPath() const;

    void writeIni(const std::string& text) const { write(iniPath(), text); }
    // Paths are relative to the product folder unless they start with a drive.
    void write(const std::string& path, const std::string& text) const;
    std::string read(const std::string& path) const;
    bool exists(const std::string& path) const;

    // Starts the launcher with exactly `commandLine` as its raw command line
    // (the program name is whatever the line says) and waits for it; in
    // `desktop` ("station\\desktop") when one is given.
    LaunchResult run(const std::string& commandLine, const std::string& workingDir = "",
                     const char* desktop = nullptr) const;
    // The quoted full path, then `arguments`: the usual command line.
    std::string commandLine(const std::string& arguments = "") const;
    // The usual start: the quoted full path, then `arguments` verbatim.
    LaunchResult start(const std::string& arguments = "") const;
    // The same in the unseen desktop, for starts that find no runtime.
    LaunchResult startUnseen(const std::string& arguments = "") const
    {
        return run(commandLine(arguments), "", unseenDesktop);
    }
    // The usual start without waiting for it; suspended, it begins only once
    // resumed. Launches running at the same time need tags of their own:
    // they name the files their output goes to.
    RunningLaunch spawn(const std::string& arguments = "", const std::string& tag = "", bool suspended = false) const;
    // The usual start as the desktop makes it: no standard handles at all.
    RunningLaunch spawnWithoutOutput(const std::string& arguments = "", const char* desktop = nullptr) const;

    // Puts the test-double JVM into `runtimeFolder` (relative to the product,
    // ending in a backslash) as its bin\client\jvm.dll, scripted by
    // `script` (the double's fakejvm.ini). Returns the folder's full path.
    std::string installJvm(const std::string& runtimeFolder, const std::string& script,
                           const std::string& library = "jvm.dll") const;
    // What the double recorded in that runtime folder.
    std::string jvmLog(const std::string& runtimeFolder) const { return read(runtimeFolder + "bin\\client\\fakejvm.log"); }

private:
    std::string absolute(const std::string& path) const;
    RunningLaunch launch(const std::string& commandLine, const std::string& workingDir, const std::string& tag,
                         bool suspended, const char* desktop, bool withOutput = true) const;

    std::string folder_;
    std::string exeName_;
};

// Releases a method of the test double that waits for the named event (its
// `wait` action, `createWait`, `spawn @name`). Made before the double looks
// for it, and kept, so that a release cannot come and go before the
// double's wait begins.
class Release {
public:
    explicit Release(const std::string& name);
    ~Release();
    Release(const Release&) = delete;
    Release& operator=(const Release&) = delete;
    void operator()() const;

private:
    void* event_;
};

// An environment variable of this process, and so of every launcher it
// starts, set for one scope and put back afterwards.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

// Folder of the built launcher and test libraries (ends in a backslash).
std::string buildFolder();

// The lines of a test-double log that start with `prefix`, whole; and the
// same lines without the prefix.
std::vector<std::string> logLines(const std::string& log, const std::string& prefix);
std::vector<std::string> logValues(const std::string& log, const std::string& prefix);
