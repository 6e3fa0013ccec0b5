#pragma once
// One move-only owner for every operating-system resource. A Traits type says
// what the raw value is, which value means "nothing owned" and how to release
// it; each resource is then one line (see Handles.h). Copying is deleted: a
// copy would release twice.

#include <utility>

namespace platform {

template <typename Traits>
class UniqueResource {
public:
    using Value = typename Traits::Value;

    UniqueResource() noexcept = default;
    explicit UniqueResource(Value value) noexcept : value_(value) {}
    UniqueResource(UniqueResource&& other) noexcept : value_(other.take()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other) {
            reset(other.take());
        }
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    ~UniqueResource() { reset(); }

    Value get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

    // Releases what is owned (keeping the thread's last-error value intact,
    // see Traits::release) and takes ownership of `value`.
    void reset(Value value = Traits::invalid()) noexcept
    {
        if (value_ != Traits::invalid()) {
            Traits::release(value_);
        }
        value_ = value;
    }

    // Gives up ownership without releasing.
    [[nodiscard]] Value take() noexcept { return std::exchange(value_, Traits::invalid()); }

private:
    Value value_ = Traits::invalid();
};

} // namespace platform
