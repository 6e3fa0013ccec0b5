#include "jre/InstallationOrder.h"

#include <utility>

void sortInstallations(std::vector<JreInstallation>& installations, const SelectionRules& rules)
{
    const bool favourServer = rules.jvmType == JvmTypeFavourServer;
    // Each rule decides alone once the two differ in it.
    const auto comesFirst = [&](const JreInstallation& a, const JreInstallation& b) {
        if (rules.jvmSourceFavour && a.favouredKind != b.favouredKind) {
            return a.favouredKind;
        }
        if (favourServer && a.hasServerVm != b.hasServerVm) {
            return a.hasServerVm;
        }
        return JavaVersion::compare(a.version, b.version) > 0;
    };
    // A machine registers a handful of runtimes: an insertion sort is stable,
    // keeping full ties in scan order, and a fraction of std::stable_sort's
    // code in the executable.
    for (std::size_t i = 1; i < installations.size(); ++i) {
        JreInstallation moving = std::move(installations[i]);
        std::size_t at = i;
        for (; at > 0 && comesFirst(moving, installations[at - 1]); --at) {
            installations[at] = std::move(installations[at - 1]);
        }
        installations[at] = std::move(moving);
    }
}

std::optional<JreInstallation> selectInstallation(std::vector<JreInstallation>& installations,
                                                  const SelectionRules& rules)
{
    const std::size_t chosen = selectInstallationIndex(installations, rules);
    if (chosen == installations.size()) {
        return std::nullopt;
    }
    return installations[chosen];
}

std::size_t selectInstallationIndex(std::vector<JreInstallation>& installations, const SelectionRules& rules)
{
    if (installations.empty()) {
        return 0;
    }
    sortInstallations(installations, rules);
    for (const std::string& entry : rules.preferredVersions) {
        const JavaVersion pattern = JavaVersion::parse(entry, 0);
        for (std::size_t i = 0; i < installations.size(); ++i) {
            if (JavaVersion::matches(installations[i].version, pattern)) {
                return i;
            }
        }
    }
    return 0;
}

RequirementForm requirementForm(const JavaVersion& min, const JavaVersion& max) noexcept
{
    const bool minUnset = JavaVersion::isUnset(min);
    const bool maxUnset = JavaVersion::isUnset(max);
    if (minUnset) {
        return maxUnset ? RequirementForm::Latest : RequirementForm::Maximum;
    }
    if (maxUnset) {
        return RequirementForm::Minimum;
    }
    return JavaVersion::equals(min, max) ? RequirementForm::Exact : RequirementForm::Between;
}
