#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>

// An event handler that, unlike std::function, can be compared: the controller must tell
// whether a newly assigned handler is the one already set. Copies of one handler compare
// equal; a handler bound to the same object and member function compares equal to
// another such binding; every other callable is a handler of its own.
template <typename Signature>
class THidEvent;

template <typename R, typename... Args>
class THidEvent<R(Args...)> {
public:
    THidEvent() = default;
    THidEvent(std::nullptr_t) {}

    template <typename F,
              typename = std::enable_if_t<!std::is_same_v<std::decay_t<F>, THidEvent> &&
                                          std::is_invocable_r_v<R, F&, Args...>>>
    THidEvent(F function) : FFunction(std::move(function)), FKey(std::to_string(NextSerial()))
    {
    }

    template <typename C>
    THidEvent(C* object, R (C::*method)(Args...))
        : FFunction([object, method](Args... args) { return (object->*method)(std::forward<Args>(args)...); })
    {
        FKey.assign(reinterpret_cast<const char*>(&object), sizeof(object));
        FKey.append(reinterpret_cast<const char*>(&method), sizeof(method));
        FKey.insert(0, 1, '@');
    }

    explicit operator bool() const { return static_cast<bool>(FFunction); }
    R operator()(Args... args) const { return FFunction(std::forward<Args>(args)...); }

    bool operator==(const THidEvent& other) const { return FKey == other.FKey; }
    bool operator!=(const THidEvent& other) const { return !(*this == other); }

private:
    static uint64_t NextSerial()
    {
        static std::atomic<uint64_t> serial{0};
        return ++serial;
    }

    std::function<R(Args...)> FFunction;
    std::string FKey;  // empty for no handler
};
