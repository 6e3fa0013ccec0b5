// Where systemd wants to hear of a service: NOTIFY_SOCKET as a socket path,
// or a name in the abstract namespace.

#include "service/NotifySocket.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(NotifySocketAddress, PathsAndAbstractNamesAreTakenOthersNot)
{
    const std::string longest = "/" + std::string(107, 'p');
    const struct {
        std::string variable;
        bool taken;
        std::string address;
    } rows[] = {
        {"/run/systemd/notify", true, "/run/systemd/notify"},
        {"@/org/freedesktop/systemd1/notify/1", true, std::string("\0/org/freedesktop/systemd1/notify/1", 35)},
        {"@x", true, std::string("\0x", 2)},
        {longest, true, longest}, // fills the socket path, no terminator needed
        {longest + "p", false, ""},
        {"@" + std::string(108, 'a'), false, ""},
        {"", false, ""},
        {"@", false, ""},
        {"/", false, ""},
        {"run/notify", false, ""}, // relative: nothing systemd hands out
        {"vsock:2:1234", false, ""},
    };
    for (const auto& row : rows) {
        std::string address = "untouched";
        EXPECT_EQ(service::notifySocketAddress(row.variable, address), row.taken) << row.variable;
        EXPECT_EQ(address, row.taken ? row.address : "untouched") << row.variable;
    }
}

} // namespace
