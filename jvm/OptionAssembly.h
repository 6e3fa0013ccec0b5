#pragma once
// The JVM option list, the native library path and the process search path,
// assembled from the configuration file. preparePaths and buildJvmOptions
// (jvm/JvmHost.h) are the steps the run calls; the rest is their machinery.

#include "jvm/JvmHost.h"

#include <string>
#include <vector>

// Replaces %NAME% references of set variables in place, by the rules of
// text/EnvironmentText.h over the process's environment. References to
// unset variables stay as written; no other byte changes.
void expandEnvironment(std::string& text) noexcept;

// Search-path pieces joined by `separator` in order. Empty pieces are left
// out, and no separator is added where the earlier piece already ends with
// one or the later one starts with one.
std::string joinSearchPath(const std::vector<std::string>& pieces, char separator);

// buildJvmOptions with the configuration file already located: false, with
// message 209, when "Class Path" is empty (nothing is then added).
[[nodiscard]] bool buildJvmOptionsFrom(JavaLauncher& launcher, const std::string& iniPath) noexcept;
