#pragma once

#include <string>

#include "jre/JavaVersion.h"

// One registered runtime or development kit that passed the registry scan.
struct JreInstallation {
    // The subkey's name read with fill 0.
    JavaVersion version;
    // The runtime folder, ending in a backslash ("jre\" included for a
    // development kit).
    std::string home;
    // The scan's resolution found the server VM.
    bool hasServerVm = false;
    // Comes from the key that "JVM Source" favours (or restricts to).
    bool favouredKind = false;
};
