#include "text/IniText.h"

#include <string>

#include "ShiftJis.h"

#include <gtest/gtest.h>

#include "text/AnsiText.h"

namespace {

using text::iniAssign;
using text::iniLookup;

const char* const jre = "Java Runtime Environment";

// A literal's bytes, NULs inside included.
template <std::size_t N>
std::string withNuls(const char (&text)[N])
{
    return std::string(text, N - 1);
}

struct LookupRow {
    std::string text;
    const char* section;
    const char* key;
    const char* expected;
};

void expectLookups(const LookupRow* begin, const LookupRow* end)
{
    for (const LookupRow* row = begin; row != end; ++row) {
        EXPECT_EQ(iniLookup(row->text, row->section, row->key), row->expected)
            << "text " << testing::PrintToString(row->text) << " [" << row->section << "] " << row->key;
    }
}

TEST(IniLookup, MatchesSectionsAndKeysIgnoringCaseAndSurroundingBlanks)
{
    const LookupRow rows[] = {
        {"[Java Runtime Environment]\nMain Class=com.example.App\n", jre, "Main Class", "com.example.App"},
        {"[JAVA runtime ENVIRONMENT]\nmain CLASS=a.B\n", jre, "Main Class", "a.B"},
        {"  [ Java Runtime Environment ]  \n\t Main Class \t=\t a.B \t\n", jre, "Main Class", "a.B"},
        {"[Application]\nKey=inner  spaces  kept\n", "application", "key", "inner  spaces  kept"},
        {"[Application]\nKey=a=b=c\n", "Application", "Key", "a=b=c"},       // only the first '=' splits
        {"[Application]\nKey=\n", "Application", "Key", ""},
        {"[Application]\nKey   \n", "Application", "Key", ""},              // no '=': an empty value
        {"[Application]\nMain ClassX=no\n", "Application", "Main Class", ""}, // whole names only
        {"[Application]x\nKey=v\n", "Application", "Key", "v"},             // text after ']' ignored
        {"[Application\nKey=v\n", "Application", "Key", ""},               // no ']': no heading at all
    };
    expectLookups(std::begin(rows), std::end(rows));
}

TEST(IniLookup, RemovesOnePairOfEnclosingQuotes)
{
    const LookupRow rows[] = {
        {"[S]\nk=\"C:\\Program Files\\App\"\n", "S", "k", "C:\\Program Files\\App"},
        {"[S]\nk='single'\n", "S", "k", "single"},
        {"[S]\nk=  \" padded \"  \n", "S", "k", " padded "},
        {"[S]\nk=\"\"twice\"\"\n", "S", "k", "\"twice\""},
        {"[S]\nk=\"\"\n", "S", "k", ""},
        {"[S]\nk=\"\n", "S", "k", "\""},                   // a lone quote is text
        {"[S]\nk=\"mixed'\n", "S", "k", "\"mixed'"},
        {"[S]\nk=\"-Da=1\" \"-Db=2\"\n", "S", "k", "-Da=1\" \"-Db=2"}, // only the outer pair goes
        {"[S]\nk=pre\"fix\"\n", "S", "k", "pre\"fix\""},
    };
    expectLookups(std::begin(rows), std::end(rows));
}

TEST(IniLookup, TakesTheFirstMatchAndReadsMissingAsEmpty)
{
    const LookupRow rows[] = {
        {"[S]\nk=first\nK=second\n", "S", "k", "first"},
        {"[S]\nk=first\n[S]\nk=second\n", "S", "k", "first"},
        {"[S]\nother=1\n[s]\nk=in the later section\n", "S", "k", ""}, // only the first section counts
        {"[A]\nk=a\n[B]\nk=b\n", "B", "k", "b"},
        {"[A]\nk=a\n[B]\nj=b\n", "B", "k", ""},
        {"[A]\nk=a\n", "Missing", "k", ""},
        {"k=before any section\n[A]\n", "A", "k", ""},
        {"", "A", "k", ""},
        {"[Class Path]\nClass Path=app.jar\n", jre, "Class Path", ""},
        {"[S]\nk\nk=later\n", "S", "k", ""}, // a key without '=' is still the first entry
    };
    expectLookups(std::begin(rows), std::end(rows));
}

TEST(IniLookup, ToleratesCommentsGarbageAndLineEnds)
{
    const LookupRow rows[] = {
        {"; comment\n[S]\n; k=commented\n# k=hashed\nk=v\n", "S", "k", "v"},
        {"[S]\n  ;k=indented comment\nk=v\n", "S", "k", "v"},
        {"[S]\nk=v ; not a comment\n", "S", "k", "v ; not a comment"},
        {"[S]\n!!garbage line\n=no key\n\n\nk=v\n", "S", "k", "v"},
        {"[S]\n=no key\n", "S", "", "no key"},                             // an empty key is a key
        {"[S]\r\nk=crlf\r\nj=x\r\n", "S", "k", "crlf"},
        {"[S]\r\nk=last crlf\r\n", "S", "k", "last crlf"},
        {"[S]\nk=no trailing newline", "S", "k", "no trailing newline"},
        {"[S]\nk=", "S", "k", ""},
        {"[S]", "S", "k", ""},
        {"\xEF\xBB\xBF[S]\nk=after a byte order mark\n", "S", "k", "after a byte order mark"},
    };
    expectLookups(std::begin(rows), std::end(rows));
}

// Where the profile functions' reading of a file differs from a plain
// line-by-line one; tests/ini/corpus holds the same cases as files.
TEST(IniLookup, ReadsFilesAsTheProfileFunctionsDo)
{
    const LookupRow rows[] = {
        // A value, a key or a section name ends at a NUL byte, after blanks
        // are trimmed; a NUL ends no line.
        {withNuls("[S]\nk=ab\0cd\nj=x\n"), "S", "k", "ab"},
        {withNuls("[S]\nk=ab \0cd\n"), "S", "k", "ab "},
        {withNuls("[S]\nk=\"q\0\"\n"), "S", "k", "\"q"},
        {withNuls("[S]\nk=v\0[T]\nk=t\n"), "T", "k", ""},
        {withNuls("[S\0x]\nk\0y=v\n"), "S", "k", "v"},
        // A lone CR ends a line too.
        {"[S]\rk=v\rj=w\r[T]\rk=t\r", "S", "j", "w"},
        {"[S]\rk=v\rj=w\r[T]\rk=t\r", "T", "k", "t"},
        {"[S]\r\nk=v\r\nj=w\r[T]\r\nk=t\n", "T", "k", "t"},
        {"[S]\n\r\n\rk=after blank lines\r", "S", "k", "after blank lines"},
        // Ctrl-Z is white space.
        {"[S]\nk=v\x1A\n\x1A[T]\x1A\nk=z\n", "S", "k", "v"},
        {"[S]\nk=v\x1A\n\x1A[T]\x1A\nk=z\n", "T", "k", "z"},
        {"[S]\n\x1Ak\x1A=\x1Av\n", "S", "k", "v"},
        // A '[' line without ']' is an entry of the section before it.
        {"[S]\n[T\nk=in S\n", "S", "k", "in S"},
        {"[S]\n[T\nk=in S\n", "T", "k", ""},
        // The lines before the first heading form the section without a
        // name, which a later "[]" does not reopen.
        {"k=first\n[]\nk=later\n", "", "k", "first"},
        {"[]\nk=later\n", "", "k", ""},
        // The names asked for are trimmed as the file's are.
        {"[S]\nk=v\n", " S ", "\tk ", "v"},
    };
    expectLookups(std::begin(rows), std::end(rows));
}

// UTF-16 files, with their byte-order mark, are read as the UTF-8 text they
// hold: on this side the launcher's narrow strings are UTF-8.
TEST(IniLookup, ReadsUtf16FilesAsUtf8)
{
    const auto le = [](std::u16string_view text) {
        std::string bytes = "\xFF\xFE";
        for (char16_t u : text) {
            bytes += static_cast<char>(u & 0xFF);
            bytes += static_cast<char>(u >> 8);
        }
        return bytes;
    };
    const auto be = [](std::u16string_view text) {
        std::string bytes = "\xFE\xFF";
        for (char16_t u : text) {
            bytes += static_cast<char>(u >> 8);
            bytes += static_cast<char>(u & 0xFF);
        }
        return bytes;
    };
    EXPECT_EQ(iniLookup(le(u"[S]\r\nk=v\u00E9\r\n"), "S", "k"), "v\xC3\xA9");
    EXPECT_EQ(iniLookup(le(u"[S]\r\nk=\u30BD\u8868\r\n"), "S", "k"), "\xE3\x82\xBD\xE8\xA1\xA8");
    EXPECT_EQ(iniLookup(be(u"[S]\r\nk=\U0001F600!\r\n"), "S", "k"), "\xF0\x9F\x98\x80!");
    EXPECT_EQ(iniLookup(le(u"[S]\nk=\xD800x\n"), "S", "k"), "\xEF\xBF\xBDx"); // a lone surrogate
    EXPECT_EQ(iniLookup(le(u"[S]\nk=v\n") + "\x41", "S", "k"), "v");          // an odd last byte
    // Without the mark the bytes are narrow text, where NULs end every name.
    EXPECT_EQ(iniLookup(le(u"[S]\nk=v\n").substr(2), "S", "k"), "");
}

TEST(IniAssign, KeepsAUtf16FileUtf16)
{
    const std::string before = withNuls("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0o\0\r\0\n\0");
    const std::string after = iniAssign(before, "S", "k", "\xC3\xA9\xE3\x82\xBD");
    EXPECT_EQ(after, withNuls("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\xE9\0\xBD\x30\r\0\n\0"));
    EXPECT_EQ(iniLookup(after, "S", "k"), "\xC3\xA9\xE3\x82\xBD");
    // Bytes that are no UTF-8 cannot be stored as they are.
    EXPECT_EQ(iniLookup(iniAssign(before, "S", "k", "a\xFF" "b"), "S", "k"), "a\xEF\xBF\xBD" "b");
}

TEST(IniAssign, EndsNewLinesAsTheFileDoes)
{
    EXPECT_EQ(iniAssign("[S]\rk=v\r", "S", "j", "w"), "[S]\rk=v\rj=w\r");
    EXPECT_EQ(iniAssign("[S]\rk=v", "T", "j", "w"), "[S]\rk=v\r\r[T]\rj=w\r");
    EXPECT_EQ(iniAssign("[S]\r\nk=v\r\n", "S", "k", "x"), "[S]\r\nk=x\r\n");
}

TEST(IniLookup, ReadsLongValuesWhole)
{
    std::string value(5000, 'x');
    value[0] = 'a';
    value[4999] = 'z';
    const std::string text = "[Class Path]\nClass Path=" + value + "\r\nNext=1\r\n";
    EXPECT_EQ(iniLookup(text, "Class Path", "Class Path"), value);
}

class IniLookupShiftJis : public ShiftJisTest {};

TEST_F(IniLookupShiftJis, EndsAHeadingAtTheLastWholeCharacterBracket)
{
    // In Shift-JIS "\x83\x5D" is one character whose trail byte is ']'.
    EXPECT_EQ(iniLookup("[ab]\x83\x5D\nk=v\n", "ab", "k"), "v");
    EXPECT_EQ(iniLookup("[\x83\x5D\nk=v\n", "\x83\x5D", "k"), ""); // no whole ']': no heading
}

struct AssignRow {
    const char* text;
    const char* section;
    const char* key;
    const char* value;
    const char* expected;
};

void expectAssignments(const AssignRow* begin, const AssignRow* end)
{
    for (const AssignRow* row = begin; row != end; ++row) {
        const std::string result = iniAssign(row->text, row->section, row->key, row->value);
        EXPECT_EQ(result, row->expected) << "text \"" << row->text << "\" [" << row->section << "] " << row->key;
        EXPECT_EQ(iniLookup(result, row->section, row->key), row->value) << "read back of \"" << result << '"';
    }
}

TEST(IniAssign, ReplacesTheFirstMatchingValueOnly)
{
    const AssignRow rows[] = {
        {"[S]\nk=old\n", "S", "k", "new", "[S]\nk=new\n"},
        {"[s]\r\nK = old  \r\nj=1\r\n", "S", "k", "new", "[s]\r\nK = new\r\nj=1\r\n"},
        {"[S]\nk=\"quoted old\"\n", "S", "k", "new", "[S]\nk=new\n"},
        {"[S]\nk=\n", "S", "k", "v", "[S]\nk=v\n"},
        {"[S]\nk\n", "S", "k", "v", "[S]\nk=v\n"},
        {"[S]\nk=1\nk=2\n", "S", "k", "v", "[S]\nk=v\nk=2\n"},
        {"[S]\nk=1\n[S]\nk=2\n", "S", "k", "v", "[S]\nk=v\n[S]\nk=2\n"},
        {"[S]\nk=old", "S", "k", "v", "[S]\nk=v"},
        {"[S]\nk=old\n", "S", "k", "", "[S]\nk=\n"},
    };
    expectAssignments(std::begin(rows), std::end(rows));
}

TEST(IniAssign, AppendsTheKeyAfterTheSectionsLastEntry)
{
    const AssignRow rows[] = {
        {"[S]\na=1\n\n; about T\n[T]\nk=t\n", "S", "k", "v", "[S]\na=1\nk=v\n\n; about T\n[T]\nk=t\n"},
        {"[S]\n[T]\n", "S", "k", "v", "[S]\nk=v\n[T]\n"},
        {"[S]\r\na=1\r\n", "s", "k", "v", "[S]\r\na=1\r\nk=v\r\n"},
        {"[S]\na=1", "S", "k", "v", "[S]\na=1\nk=v\n"},
        {"[S]", "S", "k", "v", "[S]\nk=v\n"},
        {"[S]\nother=1\n[S]\nk=2\n", "S", "k", "v", "[S]\nother=1\nk=v\n[S]\nk=2\n"},
    };
    expectAssignments(std::begin(rows), std::end(rows));
}

TEST(IniAssign, AppendsANewSectionAtTheEnd)
{
    const AssignRow rows[] = {
        {"", jre, "JRE Path", "C:\\rt\\", "[Java Runtime Environment]\nJRE Path=C:\\rt\\\n"},
        {"[A]\nx=1\n", "B", "k", "v", "[A]\nx=1\n\n[B]\nk=v\n"},
        {"[A]\nx=1", "B", "k", "v", "[A]\nx=1\n\n[B]\nk=v\n"},
        {"[A]\nx=1\n\n", "B", "k", "v", "[A]\nx=1\n\n[B]\nk=v\n"},
        {"[A]\r\nx=1\r\n", "B", "k", "v", "[A]\r\nx=1\r\n\r\n[B]\r\nk=v\r\n"},
        {"k=orphan\n", "B", "k", "v", "k=orphan\n\n[B]\nk=v\n"},
    };
    expectAssignments(std::begin(rows), std::end(rows));
}

TEST(IniAssign, KeepsEveryOtherLineByteForByte)
{
    const std::string before = "\xEF\xBB\xBF; settings\r\n[Application]\r\n  Failure Check = Yes ; keep\r\n"
                               "garbage without equals\r\n\r\n[Java Runtime Environment]\r\n\tJRE Path =\t"
                               "C:\\old\\  \r\n# trailing comment\r\n[Class Path]\nClass Path=a.jar";
    const std::string after = iniAssign(before, jre, "jre path", "D:\\new\\");
    const std::string expected = "\xEF\xBB\xBF; settings\r\n[Application]\r\n  Failure Check = Yes ; keep\r\n"
                                 "garbage without equals\r\n\r\n[Java Runtime Environment]\r\n\tJRE Path =\t"
                                 "D:\\new\\\r\n# trailing comment\r\n[Class Path]\nClass Path=a.jar";
    EXPECT_EQ(after, expected);
    EXPECT_EQ(iniLookup(after, "Application", "Failure Check"), "Yes ; keep");
    EXPECT_EQ(iniLookup(after, "Class Path", "Class Path"), "a.jar");
}

} // namespace
