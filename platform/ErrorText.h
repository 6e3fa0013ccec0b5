#pragma once
// The system's words for why a call failed, for a message a person reads.

#include <string>

namespace platform {

// The text for an error code of lastError() (platform/Errors.h) as the
// system words it (strerror, FormatMessage), in UTF-8 and without a line
// end; "error N" where the system has no words for it.
std::string errorText(long code) noexcept;

} // namespace platform
