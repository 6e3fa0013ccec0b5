#include "text/EnvironmentText.h"

#include "ShiftJis.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Variable {
    std::string name;
    std::string value;
};

// Variables named exactly; every name asked for is noted.
struct Environment {
    std::vector<Variable> variables;
    std::vector<std::string> asked;
};

bool lookUp(void* context, std::string_view name, std::string& value)
{
    auto* environment = static_cast<Environment*>(context);
    environment->asked.emplace_back(name);
    for (const Variable& variable : environment->variables) {
        if (variable.name == name) {
            value = variable.value;
            return true;
        }
    }
    return false;
}

struct Row {
    std::string text;
    std::string expected;
};

void expectExpansions(Environment& environment, const std::vector<Row>& rows)
{
    for (const Row& row : rows) {
        EXPECT_EQ(text::expandReferences(row.text, lookUp, &environment), row.expected) << row.text;
    }
}

TEST(EnvironmentText, SetReferencesAreReplacedAndEverythingElseStaysAsWritten)
{
    Environment environment{{{"HOME", "/opt/app"}, {"EMPTY", ""}, {"PCT", "%HOME%"}}, {}};
    expectExpansions(environment, {
        {"%HOME%/lib/app.jar", "/opt/app/lib/app.jar"},
        {"a%HOME%%HOME%b", "a/opt/app/opt/appb"},
        {"[%EMPTY%]", "[]"},
        {"%UNSET%/lib", "%UNSET%/lib"},
        {"%home%", "%home%"}, // the lookup decides what matches
        // An unset name keeps both of its '%': the second never opens another.
        {"%UNSET%HOME%", "%UNSET%HOME%"},
        {"%UNSET%%HOME%", "%UNSET%/opt/app"},
        {"-Xmx50%", "-Xmx50%"},
        {"%%", "%%"},
        {"100%% %HOME%", "100%% /opt/app"},
        {"%", "%"},
        {"%%%", "%%%"},
        {"", ""},
        // A value is never expanded again.
        {"%PCT%", "%HOME%"},
    });
}

TEST(EnvironmentText, OnlyNonEmptyNamesAreLookedUp)
{
    Environment environment{{{"A", "1"}}, {}};
    EXPECT_EQ(text::expandReferences("%%x%A%%B%", lookUp, &environment), "%%x1%B%");
    EXPECT_EQ(environment.asked, (std::vector<std::string>{"A", "B"}));
}

TEST(EnvironmentText, EveryByteArrivesWhateverTheLength)
{
    const std::string big(100000, 'x');
    Environment environment{{{"BIG", big}, {"Z", std::string("a\0b", 3)}}, {}};
    std::string longText(40000, 'c');
    longText += "%BIG%";
    expectExpansions(environment, {
        {longText, std::string(40000, 'c') + big},
        {std::string("nul\0%Z%\0end", 11), std::string("nul\0a\0b\0end", 11)},
        {"\xFF\x80%Z%\x7F", std::string("\xFF\x80" "a\0b" "\x7F", 6)},
    });
}

using EnvironmentTextShiftJis = ShiftJisTest;

// "ソ" is 0x83 0x5C and "表" 0x95 0x5C: trail bytes that are backslashes.
TEST_F(EnvironmentTextShiftJis, DoubleByteTextAndNamesArriveByteForByte)
{
    Environment environment{{{"APP", "C:\\\x83\x5C"}, {"\x95\x5C", "table"}}, {}};
    expectExpansions(environment, {
        {"\x83\x5C\\lib;\x95\x5C", "\x83\x5C\\lib;\x95\x5C"},
        {"-Dz=\"\x83\x5C\x95\x5C\"", "-Dz=\"\x83\x5C\x95\x5C\""},
        {"%APP%\\lib\\\x95\x5C.jar", "C:\\\x83\x5C\\lib\\\x95\x5C.jar"},
        {"%\x95\x5C%;%\x83\x5C%", "table;%\x83\x5C%"},
        // A lead byte takes the '%' after it as its trail byte: no reference
        // starts there, and the next '%' has no partner.
        {"\x83%APP%", "\x83%APP%"},
        // A lead byte at the very end is a character of its own.
        {"%APP%\x83", "C:\\\x83\x5C\x83"},
    });
}

} // namespace
