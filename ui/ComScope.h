#pragma once
// COM on the calling thread for one scope, single-threaded as the shell's
// user interface wants it, and without the old DDE conversations the shell
// may otherwise start: what the platform asks for around the folder browser
// and ShellExecute. A thread that already runs COM in another model keeps
// it, and it is not undone here.

#include <objbase.h>

namespace ui {

class ComScope {
public:
    ComScope() noexcept
        : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)))
    {
    }
    ~ComScope()
    {
        if (initialised_) {
            CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool initialised_;
};

} // namespace ui
