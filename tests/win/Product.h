#pragma once
// A product folder for one functional test: the launcher copied under the
// product's name into a scratch folder of its own, files beside it, and a run
// with an exact raw command line that captures what the launcher leaves.

#include "Folders.h"

#include <string>

struct LaunchResult {
    std::string out;   // bytes on standard output
    std::string err;   // bytes on standard error
    int exitCode = 0;  // as the launcher returned it (-1 for 0xFFFFFFFF)
};

// A desktop of a window station that nobody sees, as a service's is: a
// launcher started there must not wait for a dialog.
inline const char* const unseenDesktop = "QuarnelUnseen\\Default";

class Product;

// A launcher started without waiting for it, so that a test can work its
// windows meanwhile. Ended by force if it still runs when this goes.
class RunningLauncher {
public:
    // `desktop` ("station\\desktop"), when given, is where the launcher runs.
    RunningLauncher(const Product& product, const std::string& commandLine, const std::string& workingDir = "",
                    const char* desktop = nullptr);
    ~RunningLauncher();
    RunningLauncher(const RunningLauncher&) = delete;
    RunningLauncher& operator=(const RunningLauncher&) = delete;

    bool started() const { return process_ != nullptr; }
    unsigned long processId() const { return processId_; }
    void* process() const { return process_; }
    bool running() const;
    // Waits up to `timeoutMs` for the end, then collects what it left.
    LaunchResult finish(unsigned long timeoutMs = 60000);

private:
    const Product& product_;
    void* process_ = nullptr;
    unsigned long processId_ = 0;
};

class Product {
public:
    // A fresh folder C:\qt\<name>\ holding the launcher as `exeName`.
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

    // Puts the test-double JVM into `runtimeFolder` (relative to the product,
    // ending in a backslash) as its bin\client\jvm.dll, scripted by
    // `script` (the double's fakejvm.ini). Returns the folder's full path.
    std::string installJvm(const std::string& runtimeFolder, const std::string& script,
                           const std::string& library = "jvm.dll") const;
    // What the double recorded in that runtime folder.
    std::string jvmLog(const std::string& runtimeFolder) const { return read(runtimeFolder + "bin\\client\\fakejvm.log"); }

private:
    std::string absolute(const std::string& path) const;

    std::string folder_;
    std::string exeName_;
};

// Folder of the built launcher and test libraries (ends in a backslash).
std::string buildFolder();
