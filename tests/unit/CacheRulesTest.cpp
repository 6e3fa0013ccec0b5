// The start-up cache's rules: versions to mechanisms, the names in the cache
// folder, the options of each step, the job's variable.

#include "cache/CacheRules.h"

#include <gtest/gtest.h>

namespace cache {
namespace {

TEST(CacheRules, FeatureReleaseOfEveryVersionSpelling)
{
    const std::pair<const char*, int> cases[] = {
        {"17.0.2", 17}, {"25", 25},     {"1.8.0_402", 8}, {"21-ea", 21}, {"21+35", 21}, {"13.0.1+9", 13},
        {"1.7", 7},     {"1", 1},       {"", 0},          {"abc", 0},    {"9.0.4", 9},  {"99999999999", 999999},
    };
    for (const auto& [version, feature] : cases) {
        EXPECT_EQ(featureRelease(version), feature) << version;
    }
}

TEST(CacheRules, OptionsThatManageSharingKeepTheLauncherOut)
{
    using Options = std::vector<std::string>;
    EXPECT_EQ(optionManagingSharing(Options{"-Xmx1g", "-Xshare:auto", "-Xlog:cds=info"}), nullptr);
    for (const char* option : {"-Xshare:off", "-Xshare:on", "-XX:SharedArchiveFile=a.jsa", "-XX:ArchiveClassesAtExit=a",
                               "-XX:+AutoCreateSharedArchive", "-XX:-UseSharedSpaces", "-XX:AOTCache=x.aot",
                               "-XX:AOTCacheOutput=x.aot", "-XX:AOTMode=off", "-XX:DumpLoadedClassList=l"}) {
        const Options options{"-Xmx1g", option};
        EXPECT_STREQ(optionManagingSharing(options), option);
    }
}

TEST(CacheRules, NamesInTheFolderClassified)
{
    const std::string stem = stemFor(0x0123456789abcdefull, 0xfedcba9876543210ull);
    ASSERT_EQ(stem, "0123456789abcdef-fedcba9876543210");
    ASSERT_EQ(stem.size(), stemLength);
    struct Case {
        std::string name;
        Entry entry;
        std::uint64_t number;
    };
    const Case cases[] = {
        {stem + "-21811200.jsa", Entry::archive, 21811200},
        {stem + "-0.jsa", Entry::archive, 0},
        {stem + "-21811200.aot", Entry::unknown, 0},
        {stem + "-12x.jsa", Entry::unknown, 0},
        {stem + "-021811200.jsa", Entry::unknown, 0}, // no name the launcher writes
        {stem + ".04711.classlist", Entry::unknown, 0},
        {stem + "-.jsa", Entry::unknown, 0},
        {stem + "-99999999999999999999.jsa", Entry::unknown, 0}, // more digits than a size has
        {stem + ".4711.classlist", Entry::owned, 4711},
        {stem + ".4711.jsa", Entry::owned, 4711},
        {stem + ".4294967296.jsa", Entry::unknown, 0},  // no process number
        {stem + ".4711.", Entry::unknown, 0},
        {stem + ".4711", Entry::unknown, 0},
        {stem + ".failed", Entry::failed, 0},
        {stem, Entry::unknown, 0},
        {"0123456789abcdef-0000000000000000-5.jsa", Entry::otherKey, 0},
        {"0123456789abcdef-x", Entry::otherKey, 0},
        {"0123456789abcdee-fedcba9876543210-5.jsa", Entry::foreign, 0},
        {"notes.txt", Entry::foreign, 0},
    };
    for (const Case& c : cases) {
        std::uint64_t number = 0;
        EXPECT_EQ(classify(stem, c.name, number), c.entry) << c.name;
        if (c.entry == Entry::archive || c.entry == Entry::owned) {
            EXPECT_EQ(number, c.number) << c.name;
        }
    }
}

TEST(CacheRules, OptionsOfEachStep)
{
    using Options = std::vector<std::string>;
    const auto options = [](Step step, int feature) {
        Options added{"-Xmx1g"};
        addOptions(added, step, feature, "R", "A");
        return added;
    };
    EXPECT_EQ(options(Step::record, 17),
              (Options{"-Xmx1g", "-Xshare:auto", "-Xlog:cds*=off", "-XX:DumpLoadedClassList=R"}));
    EXPECT_EQ(options(Step::create, 17),
              (Options{"-Xmx1g", "-Xshare:dump", "-Xlog:cds*=off", "-XX:SharedClassListFile=R",
                       "-XX:SharedArchiveFile=A"}));
    EXPECT_EQ(options(Step::use, 13),
              (Options{"-Xmx1g", "-Xshare:auto", "-Xlog:cds*=off", "-XX:SharedArchiveFile=A"}));
    // The "aot" log tag only where the runtime knows it: an unknown tag
    // stops a JVM from starting.
    EXPECT_EQ(options(Step::use, 24),
              (Options{"-Xmx1g", "-Xshare:auto", "-Xlog:cds*=off", "-XX:SharedArchiveFile=A"}));
    EXPECT_EQ(options(Step::use, 25),
              (Options{"-Xmx1g", "-Xshare:auto", "-Xlog:cds*=off,aot*=off", "-XX:SharedArchiveFile=A"}));
}

TEST(CacheRules, JobVariableRoundTripsAndRefusesWhatItDidNotWrite)
{
    const Job made{false, 4711, "C:\\Program Files\\Java\\bin\\server\\jvm.dll"};
    ASSERT_EQ(jobValue(made), "make:4711:C:\\Program Files\\Java\\bin\\server\\jvm.dll");
    Job parsed;
    ASSERT_TRUE(parseJob(jobValue(made), parsed));
    EXPECT_FALSE(parsed.create);
    EXPECT_EQ(parsed.process, 4711u);
    EXPECT_EQ(parsed.jvmPath, made.jvmPath);
    ASSERT_TRUE(parseJob("create:1:/j/libjvm.so", parsed));
    EXPECT_TRUE(parsed.create);
    EXPECT_EQ(parsed.process, 1u);
    EXPECT_EQ(parsed.jvmPath, "/j/libjvm.so");
    for (const char* bad : {"", "make", "make:", "make:12", "make:12:", "make::x", "make:x:y", "Make:1:x", "make:01:x",
                            "make:4294967296:x", "remove:1:x"}) {
        Job untouched{true, 9, "kept"};
        EXPECT_FALSE(parseJob(bad, untouched)) << bad;
        EXPECT_EQ(untouched.jvmPath, "kept") << bad;
    }
}

} // namespace
} // namespace cache
