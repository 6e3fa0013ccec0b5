#pragma once
// The JRE Not Found dialog: tells the user what runtime is required and lets
// them browse for a runtime folder. Lives on its caller's stack for one
// showing.

#include <string>

class JreNotFoundDialog {
public:
    // `message` names the required versions; `jvmType` is the configured JVM
    // type, with which a browsed folder is resolved.
    JreNotFoundDialog(const std::string& message, int jvmType);

    // Modal, owned by the active window. 1 (OK) when the user confirmed a
    // folder; any other value when not.
    int showModal() noexcept;

    // After a confirmation: the folder chosen, ending in a backslash, and its
    // JVM library (empty when the folder holds none).
    std::string jreFolder;
    std::string jvmLibraryPath;

private:
    std::string message_;
    int jvmType_;
};
