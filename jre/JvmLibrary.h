#pragma once
// A runtime folder and the JVM library inside it.

#include <string>
#include <string_view>

// The JVM library of a runtime folder (ending in a separator) for a JVM type:
// the first candidate of that type's order that exists, or empty. Sets
// hasServerVm only when a library is found.
std::string resolveJvmLibrary(const std::string& home, int jvmType, bool& hasServerVm) noexcept;

// The library of a folder that may be a runtime or a development kit of any
// Java version: the folder's own, else, for a kit of Java 8 or older, that of
// its "jre" folder, which `home` then becomes. Empty when neither holds one.
std::string resolveRuntimeOrKit(std::string& home, int jvmType, bool& hasServerVm) noexcept;

// The library's header names a machine other than the launcher's, so it can
// never be loaded here. False when the file cannot be read or is no library:
// then the load decides.
bool isLibraryOfOtherMachine(const std::string& libraryPath) noexcept;

// The spelling under which two paths of one folder compare equal: trailing
// separators removed and, on Windows, whose file names ignore case, ASCII
// letters in upper case (double-byte characters kept as they are).
std::string folderIdentity(std::string_view folder);

// The folder path ending in a separator: one is appended unless the last
// character (not byte: a double-byte character may end in 0x5C) is one.
std::string withTrailingSeparator(std::string folder);

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
// (D:\rt from D:\rt\bin\server\jvm.dll), no trailing separator. On Linux a
// library in a Java 8 runtime's lib/<arch>/ folder loses four.
std::string jreHomeOf(const std::string& jvmLibraryPath);

// QUARNEL_JVM_PATH and QUARNEL_JVM_HOME for the Java program.
void publishJvmEnvironment(const std::string& jvmLibraryPath) noexcept;
