// What a further start sends the running instance on Linux: the name they
// meet under, and the frame that carries the arguments, written by one
// build and read by another.

#include "instance/HandOverFrame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

std::string bytes(std::initializer_list<int> values)
{
    std::string text;
    for (const int value : values) {
        text += static_cast<char>(value);
    }
    return text;
}

// The payload of a frame, once its header has announced exactly that much.
std::string payloadOf(const std::string& frame)
{
    std::size_t length = 0;
    EXPECT_TRUE(instance::announcedLength(reinterpret_cast<const unsigned char*>(frame.data()), length));
    EXPECT_EQ(length, frame.size() - instance::frameHeaderSize);
    return frame.substr(instance::frameHeaderSize);
}

TEST(InstanceSocketName, IsTheFnv1aHashOfTheWholePath)
{
    // Reference values of 64-bit FNV-1a.
    EXPECT_EQ(instance::instanceSocketName(""), "quarnel-cbf29ce484222325");
    EXPECT_EQ(instance::instanceSocketName("a"), "quarnel-af63dc4c8601ec8c");
    EXPECT_EQ(instance::instanceSocketName("foobar"), "quarnel-85944171f73967e8");
    // Copies in other folders or under other names never meet; the name's
    // length does not depend on the path's.
    const std::string path = "/opt/app/" + std::string(300, 'x') + "/tool";
    const std::string name = instance::instanceSocketName(path);
    EXPECT_EQ(name.size(), 24u);
    EXPECT_NE(name, instance::instanceSocketName(path + "2"));
    EXPECT_NE(name, instance::instanceSocketName("/opt/app2/tool"));
    EXPECT_EQ(name, instance::instanceSocketName(path));
}

TEST(HandOverFrame, LaysOutEachArgumentWithItsLength)
{
    const struct {
        Args arguments;
        std::string frame;
    } rows[] = {
        {{}, bytes({0, 0, 0, 0})},
        {{""}, bytes({4, 0, 0, 0, 0, 0, 0, 0})},
        {{"ab", "", "c"}, bytes({15, 0, 0, 0, 2, 0, 0, 0, 'a', 'b', 0, 0, 0, 0, 1, 0, 0, 0, 'c'})},
        {{std::string(300, 'z')}, bytes({0x30, 1, 0, 0, 0x2C, 1, 0, 0}) + std::string(300, 'z')},
    };
    for (const auto& row : rows) {
        std::string frame = "old";
        ASSERT_TRUE(instance::encodeHandOver(row.arguments, frame));
        EXPECT_EQ(frame, row.frame);
    }
}

TEST(HandOverFrame, EveryArgumentComesBackAsItWas)
{
    const Args rows[] = {
        {},
        {""},
        {"", "", ""},
        {"a", "", "b"}, // an empty argument ends nothing
        {std::string(5000, 'x'), "two words"},
        {bytes({0, 0x5C, 0xFF, 0x81, 0, 0x0A})}, // zero bytes and any other byte
    };
    for (const Args& arguments : rows) {
        std::string frame;
        ASSERT_TRUE(instance::encodeHandOver(arguments, frame));
        Args decoded{"untouched?"};
        ASSERT_TRUE(instance::decodeHandOver(payloadOf(frame), decoded));
        EXPECT_EQ(decoded, arguments);
    }
}

TEST(HandOverFrame, PayloadIsCappedAtOneMebibyte)
{
    // 4 length bytes per argument count towards the limit.
    const std::size_t limit = instance::handOverLimit;
    const Args exactly{std::string(limit - 8, 'a'), ""};
    std::string frame;
    ASSERT_TRUE(instance::encodeHandOver(exactly, frame));
    EXPECT_EQ(frame.size(), instance::frameHeaderSize + limit);
    EXPECT_EQ(payloadOf(frame).size(), limit);

    for (const Args& over : {Args{std::string(limit - 3, 'a')}, Args{std::string(limit - 8, 'a'), "", ""},
                             Args{std::string(limit - 8, 'a'), "b"}}) {
        std::string untouched = "untouched";
        EXPECT_FALSE(instance::encodeHandOver(over, untouched));
        EXPECT_EQ(untouched, "untouched");
    }
}

TEST(HandOverFrame, HeaderAnnouncingMoreThanTheLimitIsRefused)
{
    const struct {
        std::string header;
        bool accepted;
        std::size_t length;
    } rows[] = {
        {bytes({0, 0, 0, 0}), true, 0},
        {bytes({0, 0, 0x10, 0}), true, 1024 * 1024},
        {bytes({1, 0, 0x10, 0}), false, 0},
        {bytes({0xFF, 0xFF, 0xFF, 0xFF}), false, 0},
    };
    for (const auto& row : rows) {
        std::size_t length = 77;
        EXPECT_EQ(instance::announcedLength(reinterpret_cast<const unsigned char*>(row.header.data()), length),
                  row.accepted);
        EXPECT_EQ(length, row.accepted ? row.length : 77u);
    }
}

TEST(HandOverFrame, PayloadThatIsNotWholeArgumentsIsRefused)
{
    const std::string rows[] = {
        bytes({1}),                         // a length cut short
        bytes({1, 0, 0}),
        bytes({2, 0, 0, 0, 'a'}),           // fewer bytes than announced
        bytes({0, 0, 0, 0, 1}),             // a whole empty argument, then a cut length
        bytes({0xFF, 0xFF, 0xFF, 0xFF, 'a'}), // a length far past the end
    };
    for (const std::string& payload : rows) {
        Args arguments{"untouched"};
        EXPECT_FALSE(instance::decodeHandOver(payload, arguments));
        EXPECT_EQ(arguments, Args{"untouched"});
    }
}

} // namespace
