#pragma once
// A message box, for what a window program without a console must still
// tell a person (Windows).

#include <string>

namespace platform {

// Shows `text` in a modal box with the error icon, an OK button and
// `title`, and returns once it is closed.
void showErrorBox(const std::string& title, const std::string& text) noexcept;

} // namespace platform
