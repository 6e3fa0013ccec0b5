// The block instances share: its name, its fields, and the argument area as
// a further start writes it and the first instance reads it back.

#include "instance/InstanceBlock.h"

#include "ShiftJis.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Args = std::vector<std::string>;
using Area = std::array<unsigned char, instance::argumentAreaSize>;

// An area holding exactly these bytes, the rest zero.
Area areaOf(const std::string& bytes)
{
    Area area{};
    std::copy(bytes.begin(), bytes.end(), area.begin());
    return area;
}

TEST(InstanceName, EveryBackslashByteBecomesAnUnderscore)
{
    const struct {
        std::string path;
        std::string name;
    } rows[] = {
        {"C:\\Apps\\Tool\\tool.exe", "C:_Apps_Tool_tool.exe"},
        {"\\\\server\\share\\a.exe", "__server_share_a.exe"},
        {"C:\\a_b\\x.exe", "C:_a_b_x.exe"}, // an underscore stays: two paths may meet, as for any peer
        {"", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(makeInstanceName(row.path), row.name) << row.path;
    }
}

class DoubleByteInstanceName : public ShiftJisTest {};

TEST_F(DoubleByteInstanceName, TrailBytesAreReplacedToo)
{
    // U+8868 is 0x95 0x5C in Shift-JIS: its trail byte goes as well, where a
    // character-wise search would have kept it. Only the name changes; every
    // instance computes it alike.
    EXPECT_EQ(makeInstanceName("C:\\\x95\x5C\\a.exe"), "C:_\x95_" "_a.exe");
}

TEST(InstanceBlockFields, AreLittleEndianAtTheirOffsets)
{
    std::array<unsigned char, instance::blockSize> block{};
    instance::storeField(block.data(), instance::threadIdOffset, 0x12345678u);
    instance::storeField(block.data(), instance::messageIdOffset, 0xC0DEu);
    const unsigned char expected[8] = {0x78, 0x56, 0x34, 0x12, 0xDE, 0xC0, 0x00, 0x00};
    EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), block.begin()));
    EXPECT_EQ(instance::loadField(block.data(), instance::threadIdOffset), 0x12345678u);
    EXPECT_EQ(instance::loadField(block.data(), instance::messageIdOffset), 0xC0DEu);
    instance::storeField(block.data(), instance::threadIdOffset, 0xFFFFFFFFu);
    EXPECT_EQ(instance::loadField(block.data(), instance::threadIdOffset), 0xFFFFFFFFu);
}

TEST(ForwardedArguments, AreWrittenWithOneZeroEachAndOneMore)
{
    const struct {
        Args arguments;
        std::string bytes; // the area's start; everything after it is zero
    } rows[] = {
        {{}, ""},
        {{"a"}, std::string("a\0", 2)},
        {{"one", "two words"}, std::string("one\0two words\0", 14)},
        {{"\x95\x5C", "\xFF"}, std::string("\x95\x5C\0\xFF\0", 5)},
    };
    for (const auto& row : rows) {
        Area area;
        area.fill(0xAA); // what an earlier start may have left
        ASSERT_TRUE(writeForwardedArguments(row.arguments, area.data()));
        EXPECT_EQ(area, areaOf(row.bytes)) << row.bytes;
    }
}

TEST(ForwardedArguments, FitUpToExactlyTheAreaAndNoFurther)
{
    // One argument of n bytes needs n + 2: its zero and the final one.
    const std::string fits(instance::argumentAreaSize - 2, 'x');
    const std::string tooLong(instance::argumentAreaSize - 1, 'x');
    const Args spread = {std::string(500, 'a'), std::string(537, 'b')}; // 501 + 538 + 1 = 1040
    const Args spreadTooLong = {std::string(500, 'a'), std::string(538, 'b')};
    const Args manyEmpty(1039, ""); // 1039 zeros + 1
    const Args tooManyEmpty(1040, "");

    Area area{};
    EXPECT_TRUE(writeForwardedArguments({fits}, area.data()));
    EXPECT_EQ(readForwardedArguments(area.data()), (Args{fits}));
    EXPECT_EQ(area[instance::argumentAreaSize - 1], 0);
    EXPECT_TRUE(writeForwardedArguments(spread, area.data()));
    EXPECT_EQ(readForwardedArguments(area.data()), spread);
    EXPECT_TRUE(writeForwardedArguments(manyEmpty, area.data()));

    // A refused list leaves the area as it was: a start that fails must not
    // spoil a hand-over still to be read.
    ASSERT_TRUE(writeForwardedArguments({"kept"}, area.data()));
    const Area before = area;
    for (const Args& refused : {Args{tooLong}, spreadTooLong, tooManyEmpty, Args{std::string(100000, 'x')}}) {
        EXPECT_FALSE(writeForwardedArguments(refused, area.data())) << refused.size();
        EXPECT_EQ(area, before);
    }
}

TEST(ForwardedArguments, AreReadUpToTheFirstDoubleZero)
{
    const struct {
        std::string bytes;
        Args arguments;
    } rows[] = {
        {"", {""}}, // a start without arguments: one empty text
        {std::string("a\0", 2), {"a"}},
        {std::string("one\0two\0", 8), {"one", "two"}},
        // An empty argument in the middle ends the list: what follows is lost.
        {std::string("one\0\0three\0", 11), {"one"}},
        // ...but a first argument that is empty does not: its zero is
        // followed by the next text, not by a second zero.
        {std::string("\0x\0", 3), {"", "x"}},
        {std::string("\x95\x5C\0\x81\x40\0", 6), {"\x95\x5C", "\x81\x40"}},
    };
    for (const auto& row : rows) {
        const Area area = areaOf(row.bytes);
        EXPECT_EQ(readForwardedArguments(area.data()), row.arguments) << row.bytes;
    }
}

TEST(ForwardedArguments, ReadingNeverLeavesTheArea)
{
    // No double zero anywhere (as no well-behaved start writes): the text
    // after the last single zero is not taken, and the last byte is only ever
    // looked at as the one after position 1038.
    Area area;
    area.fill('x');
    EXPECT_EQ(readForwardedArguments(area.data()), Args{});
    area[3] = 0;
    area[instance::argumentAreaSize - 1] = 0;
    EXPECT_EQ(readForwardedArguments(area.data()), Args{"xxx"});
    area[instance::argumentAreaSize - 2] = 0; // the double zero at the very end
    EXPECT_EQ(readForwardedArguments(area.data()),
              (Args{"xxx", std::string(instance::argumentAreaSize - 6, 'x')}));
}

TEST(ForwardedArguments, RoundTripAsWrittenWhenNoneIsEmpty)
{
    for (const Args& arguments : {Args{"C:\\My Files\\a b.txt", "-nosplash"}, Args{"\xE0\x40", "\"q\""},
                                  Args(40, std::string(24, 'w'))}) {
        Area area{};
        ASSERT_TRUE(writeForwardedArguments(arguments, area.data()));
        EXPECT_EQ(readForwardedArguments(area.data()), arguments);
    }
}

} // namespace
