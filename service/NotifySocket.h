#pragma once
// Telling systemd how a service of Type=notify is doing: one datagram per
// state change, "READY=1" once the program runs and "STOPPING=1" when a
// stop was asked for, to the socket named by NOTIFY_SOCKET.
//
// Pure functions over bytes: no operating-system call here.

#include <string>
#include <string_view>

namespace service {

inline constexpr const char* notifyReady = "READY=1";
inline constexpr const char* notifyStopping = "STOPPING=1";

// The socket address NOTIFY_SOCKET names, as the bytes of a Unix socket's
// path: a path as it is, or for "@name" the abstract name "\0name". False,
// with `address` untouched, for anything else (empty, relative, longer than
// a socket path holds).
[[nodiscard]] bool notifySocketAddress(std::string_view variable, std::string& address);

} // namespace service
