#pragma once
// The shell's "open", with COM running on the calling thread for the call
// (ui/ComScope.h), as the platform asks for it: some protocol handlers are
// COM objects.

namespace ui {

// The shell's "open" of an address or file. True when the shell took it.
[[nodiscard]] bool openWithShell(const char* address) noexcept;

} // namespace ui
