#pragma once
// The runtime search's lines of the decision trace (launcher/Trace.h): one
// per candidate, saying where it came from, what it is and the verdict.
// Callers ask tracing() first, so nothing is assembled when it is off.

#include <string_view>

#include "jre/JreInstallation.h"

struct CandidateFacts {
    std::string_view origin; // a registry key, "JRE Path", "JAVA_HOME", a folder
    const JavaVersion* version = nullptr;
    bool kindKnown = false;
    bool developmentKit = false;
    std::string_view home;
    std::string_view library;
};

// "candidate <origin>: version <v>, <kind>, home <home>, library <library>:
// <verdict>", leaving out what is not known (empty or null).
void traceCandidate(const CandidateFacts& facts, const char* verdict) noexcept;
// The same for a listed installation, with the library it would load.
void traceCandidate(const JreInstallation& installation, std::string_view library, const char* verdict) noexcept;
