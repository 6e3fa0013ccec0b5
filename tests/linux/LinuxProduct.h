#pragma once
// A product folder for one Linux functional test: the built launcher copied
// as app.bin (configuration app.ini), or under another file name, into a
// scratch folder, run with given arguments, its standard output and error
// captured as bytes.

#include <string>
#include <vector>

struct RunResult {
    std::string out;
    std::string err;
    int exitCode = -1000; // the process's exit status (255 for -1); -1000 when it did not exit
};

class LinuxProduct {
public:
    explicit LinuxProduct(const std::string& name);
    // The launcher copied as `executable`; its configuration is that name
    // with the extension replaced by "ini", or with ".ini" appended when the
    // name has no extension.
    LinuxProduct(const std::string& name, const std::string& executable);
    ~LinuxProduct();
    LinuxProduct(const LinuxProduct&) = delete;
    LinuxProduct& operator=(const LinuxProduct&) = delete;

    const std::string& folder() const { return folder_; } // ends in a slash
    void writeIni(const std::string& text) const { write(iniName_, text); }
    // Paths are relative to the product folder unless they start with "/".
    void write(const std::string& path, const std::string& text) const;
    std::string read(const std::string& path) const;

    // Runs the launcher in the product folder with exactly `arguments`;
    // `environment` entries (NAME=value, or NAME alone to remove it) change
    // the inherited environment.
    RunResult run(const std::vector<std::string>& arguments = {},
                  const std::vector<std::string>& environment = {}) const;
    // The same, started in `workingDirectory` instead of the product folder.
    RunResult run(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
                  const std::string& workingDirectory) const;

private:
    std::string absolute(const std::string& path) const;
    std::string folder_;
    std::string executable_;
    std::string iniName_;
};

// The JDK the tests run on, ending in a slash.
std::string jdkHome();
// The folder of the test programs' classes, compiled once per test run.
const std::string& javaClasses();
// Configuration of a product running `mainClass` on the test JDK with
// -Xcheck:jni and `parameters`; `application` goes into [Application].
std::string javaConfig(const std::string& mainClass, const std::string& parameters = "",
                       const std::string& application = "", const std::string& runtimeKeys = "");
