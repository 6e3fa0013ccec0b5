// Class-path wildcards as `java` expands them, over listings the test gives.

#include "text/ClassPathText.h"

#include "ShiftJis.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// The folders the expansion may list, by the name it asks for.
std::map<std::string, std::vector<std::string>> folders;

bool listTestFolder(const std::string& folder, std::vector<std::string>& names)
{
    const auto found = folders.find(folder);
    if (found == folders.end()) {
        return false;
    }
    names = found->second;
    return true;
}

class ClassPathWildcards : public ::testing::Test {
protected:
    void SetUp() override
    {
        folders = {
            {"lib/", {"b.jar", "a.jar", "C.JAR", "x.Jar", "notes.txt", "sub", ".jar", "c:d.jar", "ajar"}},
            {"", {"top.jar", "app.ini"}},
            {"empty/", {}},
            {"lib\\", {"w.jar", "v.JAR"}},
            {"odd/", {"a.jar", "*"}},
        };
    }
};

TEST_F(ClassPathWildcards, EntriesEndingInStarBecomeTheFoldersJarsSorted)
{
    const std::pair<const char*, const char*> cases[] = {
        // Sorted byte-wise; .Jar and names with the separator are no jars;
        // ".jar" alone is one, as for java.
        {"lib/*", "lib/.jar:lib/C.JAR:lib/a.jar:lib/b.jar"},
        {"*", "top.jar"},
        {"classes:lib/*:app.jar", "classes:lib/.jar:lib/C.JAR:lib/a.jar:lib/b.jar:app.jar"},
        // A folder without jars, or none at all, contributes nothing.
        {"empty/*:app.jar", "app.jar"},
        {"app.jar:missing/*", "app.jar"},
        {"empty/*", ""},
        // A star anywhere else stays as written.
        {"lib/*.jar:lib*:*/x.jar", "lib/*.jar:lib*:*/x.jar"},
        // Empty entries are the user's and stay.
        {"a.jar::b.jar", "a.jar::b.jar"},
        {"", ""},
        // A file called "*" is meant, not the folder's jars.
        {"odd/*", "odd/*"},
        // On Linux a backslash is part of a name.
        {"lib\\*", "lib\\*"},
    };
    for (const auto& [classPath, expanded] : cases) {
        EXPECT_EQ(text::expandClassPathWildcards(classPath, ':', false, listTestFolder), expanded) << classPath;
    }
}

TEST_F(ClassPathWildcards, WindowsTakesBothSeparatorsAndItsOwnListSeparator)
{
    EXPECT_EQ(text::expandClassPathWildcards("lib\\*;x.jar", ';', true, listTestFolder), "lib\\v.JAR;lib\\w.jar;x.jar");
    // ':' is no list separator here: "c:d.jar" is a jar name like any other.
    EXPECT_EQ(text::expandClassPathWildcards("lib/*", ';', true, listTestFolder),
              "lib/.jar;lib/C.JAR;lib/a.jar;lib/b.jar;lib/c:d.jar");
}

class ClassPathWildcardsShiftJis : public ShiftJisTest {};

TEST_F(ClassPathWildcardsShiftJis, ATrailByteBeforeTheStarIsNoSeparator)
{
    folders = {{"\x95\\", {"a.jar"}}, {"\x95\\\x95\\", {"b.jar"}}};
    // 0x95 0x5C is one character: the entry is a name ending in '*', kept.
    EXPECT_EQ(text::expandClassPathWildcards("\x95\\*", ';', true, listTestFolder), "\x95\\*");
    // After a whole character, the backslash is a separator again.
    EXPECT_EQ(text::expandClassPathWildcards("\x95\\\\*", ';', true, listTestFolder), "");
    folders["\x95\\\\"] = {"c.jar"};
    EXPECT_EQ(text::expandClassPathWildcards("\x95\\\\*", ';', true, listTestFolder), "\x95\\\\c.jar");
}

} // namespace
