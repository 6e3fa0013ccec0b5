#pragma once
// A runtime folder and the JVM library inside it.

#include <string>

// The JVM library of a runtime folder (ending in a separator) for a JVM type:
// the first candidate of that type's order that exists, or empty. Sets
// hasServerVm only when a library is found.
std::string resolveJvmLibrary(const std::string& home, int jvmType, bool& hasServerVm) noexcept;

// The runtime marker lies in the folder (ending in a separator).
bool isJreHome(const std::string& folder) noexcept;

// A runtime beside the launcher at `modulePath`: the launcher's folder (the
// path up to and including its last separator) when it carries the marker,
// else that folder's "jre" subfolder when that does; empty otherwise.
std::string privateJreBeside(const std::string& modulePath) noexcept;

// A runtime beside the launcher: its own folder or the "jre" folder there,
// ending in a separator; empty when neither carries the marker. False
// (reported) when the launcher's own path cannot be read.
[[nodiscard]] bool findPrivateJre(std::string& folder) noexcept;

// The runtime home of a JVM library path: three path components removed
// (D:\rt from D:\rt\bin\server\jvm.dll), no trailing separator.
std::string jreHomeOf(const std::string& jvmLibraryPath);

// QUARNEL_JVM_PATH and QUARNEL_JVM_HOME for the Java program.
void publishJvmEnvironment(const std::string& jvmLibraryPath) noexcept;
