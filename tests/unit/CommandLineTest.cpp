// The launcher's own command-line rules, fed raw lines.

#include "text/CommandLineText.h"
#include "text/AnsiText.h"

#include "ShiftJis.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

struct Row {
    const char* line;
    Args arguments; // after the program name
};

TEST(CommandLine, RawLinesGiveTheseArguments)
{
    const Row rows[] = {
        {"app.exe", {}},
        {"\"C:\\My Apps\\app.exe\"", {}},
        {"  \"C:\\My Apps\\app.exe\"   \t ", {}},
        {"\"C:\\My Apps\\app.exe\" one two", {"one", "two"}},
        {"C:\\My Apps\\app.exe one", {"Apps\\app.exe", "one"}},
        {"app.exe \"\"", {""}},
        {"app.exe \"\" x", {"", "x"}},
        {"app.exe \"rest of the line", {"rest of the line"}},
        {"app.exe a \"", {"a", ""}},
        {"app.exe \"quoted\"text", {"quoted", "text"}},
        {"app.exe ab\"c d\"", {"ab\"c", "d\""}},
        {"app.exe a    b", {"a", "b"}},
        {"app.exe a\tb", {"a\tb"}},
        {"app.exe -nosplash /nosplash", {"-nosplash", "/nosplash"}},
        {"app.exe C:\\dir\\ \"x\\\"", {"C:\\dir\\", "x\\"}},
        {"\t\r\napp.exe x \r\n", {"x"}},
        {"", {}},
        {"   ", {}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(text::argumentsFromCommandLine(row.line), row.arguments) << '[' << row.line << ']';
    }
}

TEST(CommandLine, SplitKeepsTheProgramName)
{
    EXPECT_EQ(text::splitCommandLine("\"a b\" c"), (Args{"a b", "c"}));
    EXPECT_TRUE(text::splitCommandLine("").empty());
}

class DoubleByteCommandLine : public ShiftJisTest {};

TEST_F(DoubleByteCommandLine, CharactersArriveWhole)
{
    // Stepping by characters must neither drop nor merge bytes: a pair at the
    // end of a token, before a closing quote, and a lone lead byte at the very
    // end of the line (which stands for itself).
    EXPECT_EQ(text::argumentsFromCommandLine("app.exe \x95\x5C \"\x95\x5C\" "), (Args{"\x95\x5C", "\x95\x5C"}));
    EXPECT_EQ(text::argumentsFromCommandLine("app.exe a\x95"), (Args{"a\x95"}));
}

} // namespace
