#pragma once
// Ranking of the registered runtimes and the choice among them. Pure: the
// caller copies the few launcher settings involved into SelectionRules.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "jre/JavaVersion.h"
#include "jre/JreInstallation.h"
#include "jre/JvmType.h"

struct SelectionRules {
    // "JVM Source" names a kind to put first (favor_JRE / favor_JDK).
    bool jvmSourceFavour = false;
    int jvmType = JvmTypeDefault; // under favour-server a server VM outranks a newer version
    // Entries as written in "Preferred versions", parsed when used.
    std::vector<std::string> preferredVersions;
};

// Priority order: the favoured kind first (when a kind is favoured), then,
// under favour-server, installations with a server VM, then the highest
// version. Installations that tie on all of these keep their scan order,
// which is what makes a development kit win over an equal runtime.
void sortInstallations(std::vector<JreInstallation>& installations, const SelectionRules& rules);

// Sorts `installations`, then takes the first installation that matches the
// earliest preferred entry that matches any; without such a match, the first
// in priority order. Nothing when the list is empty.
std::optional<JreInstallation> selectInstallation(std::vector<JreInstallation>& installations,
                                                  const SelectionRules& rules);
// The same choice as an index into the sorted list; its size when empty.
std::size_t selectInstallationIndex(std::vector<JreInstallation>& installations, const SelectionRules& rules);

// Which requirement message describes the configured bounds.
enum class RequirementForm {
    Latest,  // neither bound set
    Maximum, // only the upper bound
    Minimum, // only the lower bound
    Exact,   // both set and equal
    Between, // both set and different
};

RequirementForm requirementForm(const JavaVersion& min, const JavaVersion& max) noexcept;
