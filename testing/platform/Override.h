#pragma once

#include "platform/Guard.h"

#include <functional>
#include <utility>

// Holds one process-wide setting changed by a test and puts the previous one back when it goes
// out of scope, so a failed assertion that leaves the test early cannot leak the change into
// the tests after it. Made by the Override...() functions beside each double.
class [[nodiscard]] TOverride {
public:
    TOverride() = default;
    explicit TOverride(std::function<void()> restore) : restore_(std::move(restore)) {}
    TOverride(TOverride&& other) noexcept : restore_(std::exchange(other.restore_, nullptr)) {}
    TOverride& operator=(TOverride&& other) noexcept
    {
        if (this != &other) {
            Restore();
            restore_ = std::exchange(other.restore_, nullptr);
        }
        return *this;
    }
    TOverride(const TOverride&) = delete;
    TOverride& operator=(const TOverride&) = delete;
    ~TOverride() { Restore(); }

    // Puts the previous setting back now; the guard then does nothing more.
    void Restore()
    {
        if (auto restore = std::exchange(restore_, nullptr))
            restore();
    }

private:
    std::function<void()> restore_;
};

// Exceptions that reach the event loop go to handler until the guard goes.
inline TOverride OverrideApplicationExceptionHandler(TExceptionHandler handler)
{
    TExceptionHandler previous = SetApplicationExceptionHandler(std::move(handler));
    return TOverride([previous] { SetApplicationExceptionHandler(previous); });
}
