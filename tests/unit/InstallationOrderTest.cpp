#include "jre/InstallationOrder.h"

#include <gtest/gtest.h>

namespace {

// Installations are told apart by their home; the version is read the way
// the registry scan reads a subkey name.
JreInstallation installation(const char* version, const char* home, bool server = false,
                             bool favoured = false)
{
    JreInstallation result;
    result.version = JavaVersion::parse(version, 0);
    result.home = home;
    result.hasServerVm = server;
    result.favouredKind = favoured;
    return result;
}

std::vector<std::string> homesAfterSort(std::vector<JreInstallation> list, const SelectionRules& rules)
{
    sortInstallations(list, rules);
    std::vector<std::string> homes;
    for (const JreInstallation& entry : list) {
        homes.push_back(entry.home);
    }
    return homes;
}

std::string selectedHome(std::vector<JreInstallation> list, const SelectionRules& rules)
{
    const std::optional<JreInstallation> chosen = selectInstallation(list, rules);
    return chosen ? chosen->home : "(nothing)";
}

SelectionRules preferring(std::vector<std::string> preferred)
{
    SelectionRules rules;
    rules.preferredVersions = std::move(preferred);
    return rules;
}

TEST(InstallationOrder, FamilyKeyAndFullVersionBothListed)
{
    const std::vector<JreInstallation> list = {installation("1.6", "family\\"),
                                               installation("1.6.0_20", "full\\")};
    EXPECT_EQ(homesAfterSort(list, {}), (std::vector<std::string>{"full\\", "family\\"}));
    EXPECT_EQ(selectedHome(list, preferring({"1.6"})), "full\\");
}

TEST(InstallationOrder, FullTiesKeepScanOrder)
{
    const JreInstallation kit = installation("1.6.0_20", "C:\\jdk\\jre\\");
    const JreInstallation runtime = installation("1.6.0_20", "C:\\jre\\");
    EXPECT_EQ(selectedHome({kit, runtime}, {}), "C:\\jdk\\jre\\");
    EXPECT_EQ(selectedHome({runtime, kit}, {}), "C:\\jre\\");

    // Also among many, where an unstable sort would be likely to reorder.
    std::vector<JreInstallation> many;
    std::vector<std::string> expected;
    for (int i = 0; i < 40; ++i) {
        const std::string home = std::to_string(i) + "\\";
        many.push_back(installation(i % 2 ? "1.5" : "1.6", home.c_str()));
    }
    for (int parity : {0, 1}) {
        for (int i = parity; i < 40; i += 2) {
            expected.push_back(std::to_string(i) + "\\");
        }
    }
    EXPECT_EQ(homesAfterSort(many, {}), expected);
}

TEST(InstallationOrder, FavouredKindOutranksVersion)
{
    SelectionRules favour;
    favour.jvmSourceFavour = true;

    // favor_JRE: the runtime key's entries are the favoured kind.
    const std::vector<JreInstallation> favorJre = {installation("1.6", "jdk\\", false, false),
                                                   installation("1.5", "jre\\", false, true)};
    EXPECT_EQ(selectedHome(favorJre, favour), "jre\\");

    // favor_JDK: the development kit's entries are.
    const std::vector<JreInstallation> favorJdk = {installation("1.6", "jdk\\", false, true),
                                                   installation("1.5", "jre\\", false, false)};
    EXPECT_EQ(selectedHome(favorJdk, favour), "jdk\\");

    // Without a favoured kind (only_JRE sets the flag on every runtime) the
    // flag is ignored and the version decides.
    EXPECT_EQ(selectedHome(favorJre, {}), "jdk\\");
}

TEST(InstallationOrder, FavourServerPutsServerVmBeforeVersion)
{
    const std::vector<JreInstallation> list = {installation("1.6", "jdk-server\\", true),
                                               installation("1.7", "jre-client\\", false),
                                               installation("1.8", "jre2-server\\", true),
                                               installation("1.9", "jre2-client\\", false)};
    SelectionRules rules;
    rules.jvmType = JvmTypeFavourServer;
    EXPECT_EQ(homesAfterSort(list, rules),
              (std::vector<std::string>{"jre2-server\\", "jdk-server\\", "jre2-client\\", "jre-client\\"}));

    // The server type itself does not reorder; only favour-server does.
    rules.jvmType = 1;
    EXPECT_EQ(selectedHome(list, rules), "jre2-client\\");
}

TEST(InstallationOrder, FavouredKindOutranksServerVm)
{
    SelectionRules rules;
    rules.jvmSourceFavour = true;
    rules.jvmType = JvmTypeFavourServer;
    const std::vector<JreInstallation> list = {installation("1.6", "jdk\\", true, false),
                                               installation("1.5", "jre-client\\", false, true),
                                               installation("1.4", "jre-server\\", true, true)};
    EXPECT_EQ(homesAfterSort(list, rules),
              (std::vector<std::string>{"jre-server\\", "jre-client\\", "jdk\\"}));
}

TEST(InstallationOrder, PreferredEntriesInConfiguredOrder)
{
    const std::vector<JreInstallation> list = {installation("1.5", "1.5\\"),
                                               installation("1.6", "1.6\\"),
                                               installation("1.5.0_22", "1.5.0_22\\"),
                                               installation("jre", "digitless\\")};
    const struct {
        std::vector<std::string> preferred;
        const char* chosen;
    } rows[] = {
        {{}, "1.6\\"},
        {{"1.4", "1.5"}, "1.5.0_22\\"},   // no match passes on; sort decides among 1.5s
        {{"1.5", "1.6"}, "1.5.0_22\\"},   // a preferred entry outranks the sort
        {{"1.4", "1.3"}, "1.6\\"},        // nothing matches: first in priority order
        {{"1.5.0.0"}, "1.5\\"},          // by equality only: 1.5.0_22 differs
        {{""}, "digitless\\"},            // an empty entry matches only an all-zero version
    };
    for (const auto& row : rows) {
        EXPECT_EQ(selectedHome(list, preferring(row.preferred)), row.chosen)
            << ::testing::PrintToString(row.preferred);
    }
}

TEST(InstallationOrder, EmptyListChoosesNothing)
{
    std::vector<JreInstallation> none;
    EXPECT_FALSE(selectInstallation(none, preferring({"1.6"})).has_value());
}

TEST(InstallationOrder, SelectionLeavesTheListSorted)
{
    std::vector<JreInstallation> list = {installation("1.5", "old\\"), installation("1.7", "new\\")};
    (void)selectInstallation(list, preferring({"1.5"}));
    EXPECT_EQ(list.front().home, "new\\");
}

TEST(RequirementForm, ChosenByWhichBoundsAreSet)
{
    const struct {
        const char* min;
        const char* max;
        RequirementForm form;
    } rows[] = {
        {"any", "any", RequirementForm::Latest},
        {"", "", RequirementForm::Latest},
        {"any", "1.6", RequirementForm::Maximum},
        {"", "1.7.0_10", RequirementForm::Maximum},
        {"1.6", "any", RequirementForm::Minimum},
        {"1.6", "", RequirementForm::Minimum},
        {"1.6.0.20", "1.6.0.20", RequirementForm::Exact},
        {"1.6", "1.6", RequirementForm::Between}, // the upper 1.6 holds 65535s
        {"1.5", "1.7", RequirementForm::Between},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(requirementForm(JavaVersion::lowerBound(row.min), JavaVersion::upperBound(row.max)), row.form)
            << '"' << row.min << "\" / \"" << row.max << '"';
    }
}

} // namespace
