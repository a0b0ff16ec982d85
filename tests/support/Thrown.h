#pragma once
// What a call threw: the ComError's number and description, or 0 and an empty
// text when it returned normally.

#include "platform/ComError.h"

#include <QString>
#include <utility>

namespace testing_support {

struct Thrown {
    int32_t number = 0;
    QString description;
};

template <typename F>
Thrown thrown(F&& f) {
    try {
        std::forward<F>(f)();
    } catch (const platform::ComError& e) {
        return {e.number(), e.description()};
    }
    return {};
}

// The ComError number `f` throws, 0 when it does not throw.
template <typename F>
int32_t errorOf(F&& f) {
    return thrown(std::forward<F>(f)).number;
}

}  // namespace testing_support
