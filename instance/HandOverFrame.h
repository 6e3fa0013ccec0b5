#pragma once
// What a further start of the same launcher sends the running one on Linux,
// and the name under which the two meet. A contract between any two
// instances of one executable, whatever build they are:
//
//   frame    payload length (4 bytes, little-endian), then the payload
//   payload  every argument in order as its length (4 bytes, little-endian)
//            and its bytes; nothing at all for a start without arguments
//   answers  one byte each, from the running instance:
//            handOverReceived  it holds the arguments and waits for its
//                              program to run (sent at once; more follows)
//            handOverTaken     the program takes them: the further start
//                              ends with 0 (the last answer)
//            handOverRefused   the program cannot take them (it never ran,
//                              has ended or is shutting down): the further
//                              start waits for that instance to end and
//                              then runs as the first one (the last answer)
//            A further start that stops waiting shuts its end of the
//            connection down first and then reads what had arrived, so
//            that an answer sent before is taken and one sent after fails
//            to send: it ends with 0 exactly when the program takes the
//            arguments.
//
// Unlike the Windows block there is room for any real command line, and an
// empty argument is an argument like any other.
//
// Pure functions over bytes: no operating-system call here.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace instance {

inline constexpr std::size_t frameHeaderSize = 4;
// The most payload a running instance takes from one further start: far
// above a shell's command line, low enough that a stray peer cannot make it
// allocate much.
inline constexpr std::size_t handOverLimit = 1024 * 1024;
inline constexpr unsigned char handOverReceived = 0x16;
inline constexpr unsigned char handOverTaken = 0x06;
inline constexpr unsigned char handOverRefused = 0x15;

// The name the instances of one executable meet under, without folder:
// "quarnel-" and 16 lower-case hex digits of the 64-bit FNV-1a hash of the
// launcher's full path. Short enough for any socket path, whatever the
// launcher's own path is; paths that differ in one byte get other names.
std::string instanceSocketName(std::string_view modulePath);

// The whole frame for `arguments`. False, with `frame` untouched, when the
// payload would exceed handOverLimit.
[[nodiscard]] bool encodeHandOver(const std::vector<std::string>& arguments, std::string& frame);

// The payload length a frame's first four bytes announce. False, with
// `length` untouched, when it exceeds handOverLimit.
[[nodiscard]] bool announcedLength(const unsigned char* header, std::size_t& length) noexcept;

// The arguments of a whole payload. False, with `arguments` untouched, when
// the payload is not a sequence of complete length-prefixed arguments.
[[nodiscard]] bool decodeHandOver(std::string_view payload, std::vector<std::string>& arguments);

} // namespace instance
