#include "platform/LocalSocket.h"

#include "platform/Files.h"
#include "platform/Thread.h"

#include <cerrno>
#include <cstddef>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// What the notification socket's address check (service/NotifySocket.h)
// allows for.
static_assert(sizeof(sockaddr_un::sun_path) == 108, "a Linux socket path");

namespace platform {
namespace {

struct LocalAddress {
    sockaddr_un address;
    socklen_t length;
    const sockaddr* get() const noexcept { return reinterpret_cast<const sockaddr*>(&address); }
};

// A new socket of `type` and the address for `path`. A path that does not
// fit is refused, never cut short: a shortened name would meet another
// launcher's socket.
bool openSocketFor(const std::string& path, int type, LocalAddress& address, UniqueFileHandle& socket) noexcept
{
    if (path.empty() || path.size() > sizeof address.address.sun_path) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memset(&address.address, 0, sizeof address.address);
    address.address.sun_family = AF_UNIX;
    std::memcpy(address.address.sun_path, path.data(), path.size());
    address.length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size());
    socket.reset(::socket(AF_UNIX, type | SOCK_CLOEXEC, 0));
    return static_cast<bool>(socket);
}

// Milliseconds left until the deadline for poll; 0 once it has passed.
int remaining(std::uint64_t deadline) noexcept
{
    const std::uint64_t now = monotonicMilliseconds();
    if (now >= deadline) {
        return 0;
    }
    const std::uint64_t left = deadline - now;
    return left > 60000 ? 60000 : static_cast<int>(left);
}

// Until the descriptor is ready for `events`; false on the deadline or an
// error (a hang-up with nothing left to read shows up in the next call).
bool awaitReady(int descriptor, short events, std::uint64_t deadline) noexcept
{
    for (;;) {
        pollfd entry{descriptor, events, 0};
        const int timeout = remaining(deadline);
        if (timeout == 0) {
            errno = ETIMEDOUT;
            return false;
        }
        const int result = ::poll(&entry, 1, timeout);
        if (result > 0) {
            return true;
        }
        if (result < 0 && errno != EINTR) {
            return false;
        }
    }
}

} // namespace

bool listenLocal(const std::string& path, UniqueFileHandle& listener) noexcept
{
    LocalAddress address;
    UniqueFileHandle socket;
    if (!openSocketFor(path, SOCK_STREAM, address, socket)) {
        return false;
    }
    removeFile(path);
    if (::bind(socket.get(), address.get(), address.length) != 0 || ::listen(socket.get(), SOMAXCONN) != 0) {
        return false;
    }
    listener = std::move(socket);
    return true;
}

bool connectLocal(const std::string& path, UniqueFileHandle& connection) noexcept
{
    LocalAddress address;
    UniqueFileHandle socket;
    if (!openSocketFor(path, SOCK_STREAM, address, socket)) {
        return false;
    }
    int result;
    do {
        result = ::connect(socket.get(), address.get(), address.length);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        return false;
    }
    connection = std::move(socket);
    return true;
}

bool acceptLocal(const UniqueFileHandle& listener, UniqueFileHandle& connection) noexcept
{
    UniqueFileHandle accepted(::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!accepted) {
        return false;
    }
    connection = std::move(accepted);
    return true;
}

bool peerUserId(const UniqueFileHandle& connection, std::uint32_t& userId) noexcept
{
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(connection.get(), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 ||
        size != sizeof credentials) {
        return false;
    }
    userId = credentials.uid;
    return true;
}

std::uint32_t effectiveUserId() noexcept { return ::geteuid(); }

bool sendAll(const UniqueFileHandle& connection, const void* bytes, std::size_t size, std::uint64_t deadline) noexcept
{
    const char* next = static_cast<const char*>(bytes);
    while (size > 0) {
        const ssize_t sent = ::send(connection.get(), next, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            next += sent;
            size -= static_cast<std::size_t>(sent);
            continue;
        }
        if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            return false;
        }
        if (!awaitReady(connection.get(), POLLOUT, deadline)) {
            return false;
        }
    }
    return true;
}

bool receiveAll(const UniqueFileHandle& connection, void* bytes, std::size_t size, std::uint64_t deadline) noexcept
{
    char* next = static_cast<char*>(bytes);
    while (size > 0) {
        const ssize_t got = ::recv(connection.get(), next, size, MSG_DONTWAIT);
        if (got > 0) {
            next += got;
            size -= static_cast<std::size_t>(got);
            continue;
        }
        if (got == 0) {
            errno = ECONNRESET; // the other end has gone
            return false;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            return false;
        }
        if (!awaitReady(connection.get(), POLLIN, deadline)) {
            return false;
        }
    }
    return true;
}

bool withdrawAndReceive(const UniqueFileHandle& connection, void* bytes, std::size_t size) noexcept
{
    // A Unix stream socket queues a send only while the receiver's side is
    // open for reading, under the receiver's lock, and the shutdown takes
    // that same lock: an answer is either queued before it, and read below,
    // or refused after it.
    if (::shutdown(connection.get(), SHUT_RDWR) != 0) {
        return false;
    }
    char* next = static_cast<char*>(bytes);
    while (size > 0) {
        const ssize_t got = ::recv(connection.get(), next, size, MSG_DONTWAIT);
        if (got <= 0) {
            if (got < 0 && errno == EINTR) {
                continue;
            }
            return false;
        }
        next += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

bool makePipe(UniqueFileHandle& readEnd, UniqueFileHandle& writeEnd) noexcept
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return false;
    }
    readEnd.reset(ends[0]);
    writeEnd.reset(ends[1]);
    return true;
}

void writeWakeByte(const UniqueFileHandle& writeEnd) noexcept
{
    const char byte = 0;
    // The signal pipe is non-blocking: should it ever be full, wait for room
    // rather than lose the one byte its reader ends on.
    while (::write(writeEnd.get(), &byte, 1) < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            pollfd entry{writeEnd.get(), POLLOUT, 0};
            (void)::poll(&entry, 1, -1);
        } else if (errno != EINTR) {
            return;
        }
    }
}

bool waitForConnection(const UniqueFileHandle& listener, const UniqueFileHandle& wake) noexcept
{
    for (;;) {
        pollfd entries[2] = {{listener.get(), POLLIN, 0}, {wake.get(), POLLIN, 0}};
        const int result = ::poll(entries, 2, -1);
        if (result < 0 && errno == EINTR) {
            continue;
        }
        if (result < 0 || entries[1].revents != 0) {
            return false;
        }
        if ((entries[0].revents & POLLIN) != 0) {
            return true;
        }
        if (entries[0].revents != 0) {
            return false; // the listener itself has failed
        }
    }
}

bool sendLocalDatagram(const std::string& address, const std::string& text) noexcept
{
    LocalAddress target;
    UniqueFileHandle socket;
    if (!openSocketFor(address, SOCK_DGRAM, target, socket)) {
        return false;
    }
    ssize_t sent;
    do {
        sent = ::sendto(socket.get(), text.data(), text.size(), MSG_NOSIGNAL, target.get(), target.length);
    } while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(text.size());
}

} // namespace platform
