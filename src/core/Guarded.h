#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <type_traits>
#include <utility>

// A callable that runs only while `object` is alive; once it is gone the call
// does nothing (or returns a default value). Callbacks kept by the Telegram
// client, sheets and timers may outlive their receiver: this is the one place
// that checks.
template <typename Object, typename Callable>
auto guarded(Object *object, Callable callable)
{
    static_assert(std::is_base_of_v<QObject, Object>);
    return [target = QPointer<Object>(object), callable = std::move(callable)](auto &&...args) {
        // A member function is called on the object, anything else as it is.
        const auto call = [&] {
            if constexpr (std::is_member_function_pointer_v<Callable>)
                return std::invoke(callable, target.data(), std::forward<decltype(args)>(args)...);
            else
                return std::invoke(callable, std::forward<decltype(args)>(args)...);
        };
        using Result = decltype(call());
        if constexpr (std::is_void_v<Result>) {
            if (target)
                call();
        } else {
            return target ? call() : Result{};
        }
    };
}
