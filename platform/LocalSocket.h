#pragma once
// Unix domain sockets, and the pipes that wake the threads waiting on them
// (POSIX).
// Unless a declaration says otherwise, a call that fails leaves its outputs
// untouched and the reason in lastError() (platform/Errors.h).

#include "platform/Handles.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Listens at `path`, replacing whatever has that name: only the caller may
// decide that an existing socket there is stale.
[[nodiscard]] bool listenLocal(const std::string& path, UniqueFileHandle& listener) noexcept;
[[nodiscard]] bool connectLocal(const std::string& path, UniqueFileHandle& connection) noexcept;
[[nodiscard]] bool acceptLocal(const UniqueFileHandle& listener, UniqueFileHandle& connection) noexcept;
// The effective user of the process at the other end, as it was when it
// connected (SO_PEERCRED).
[[nodiscard]] bool peerUserId(const UniqueFileHandle& connection, std::uint32_t& userId) noexcept;
std::uint32_t effectiveUserId() noexcept;
// Sends every byte, or receives exactly `size` bytes, by the deadline (on
// monotonicMilliseconds). False on a timeout, an error, or when the other
// end has gone; a peer that is gone never raises SIGPIPE.
[[nodiscard]] bool sendAll(const UniqueFileHandle& connection, const void* bytes, std::size_t size,
                           std::uint64_t deadline) noexcept;
[[nodiscard]] bool receiveAll(const UniqueFileHandle& connection, void* bytes, std::size_t size,
                              std::uint64_t deadline) noexcept;
// Stops waiting on the connection in a way the other end can rely on: shuts
// both directions down, so that whatever it sends from now on fails, then
// takes what had arrived before, without waiting. True with exactly `size`
// bytes when they had all arrived.
[[nodiscard]] bool withdrawAndReceive(const UniqueFileHandle& connection, void* bytes, std::size_t size) noexcept;
// A pipe whose read end wakes a thread blocked in waitForConnection or
// nextCaughtSignal. The wake byte is zero, which no signal has as number.
[[nodiscard]] bool makePipe(UniqueFileHandle& readEnd, UniqueFileHandle& writeEnd) noexcept;
void writeWakeByte(const UniqueFileHandle& writeEnd) noexcept;
// Waits without a time limit; true when `listener` has a connection to
// accept, false once `wake` is readable (or waiting fails).
bool waitForConnection(const UniqueFileHandle& listener, const UniqueFileHandle& wake) noexcept;
// One datagram to a Unix socket whose address is given as the bytes of its
// path (a leading zero byte for the abstract namespace).
[[nodiscard]] bool sendLocalDatagram(const std::string& address, const std::string& text) noexcept;

} // namespace platform
