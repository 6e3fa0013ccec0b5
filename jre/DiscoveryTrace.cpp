#include "jre/DiscoveryTrace.h"

#include <string>

#include "launcher/Trace.h"

void traceCandidate(const CandidateFacts& facts, const char* verdict) noexcept
{
    std::string details;
    const auto add = [&details](std::string_view label, std::string_view text) {
        if (text.empty()) {
            return;
        }
        details += details.empty() ? "" : ", ";
        details += label;
        details += text;
    };
    if (facts.version != nullptr) {
        add("version ", JavaVersion::format(*facts.version));
    }
    if (facts.kindKnown) {
        add("", facts.developmentKit ? "development kit" : "runtime");
    }
    add("home ", facts.home);
    add("library ", facts.library);
    trace("candidate %.*s: %s%s%s", static_cast<int>(facts.origin.size()), facts.origin.data(), details.c_str(),
          details.empty() ? "" : ": ", verdict);
}

void traceCandidate(const JreInstallation& installation, std::string_view library, const char* verdict) noexcept
{
    CandidateFacts facts;
    facts.origin = installation.origin;
    facts.version = &installation.version;
    facts.kindKnown = true;
    facts.developmentKit = installation.developmentKit;
    facts.home = installation.home;
    facts.library = library;
    traceCandidate(facts, verdict);
}
