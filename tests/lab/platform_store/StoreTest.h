#pragma once
// Common ground of the store tests: the store layer's names, a temporary store,
// and failure() for the error number a call throws.

#include "lab/platform_store/TempStore.h"
#include "platform/store/Store.h"

#include <functional>
#include <gtest/gtest.h>

using namespace platform::store;
using platform::ComError;
using testsupport::TempStore;

// The ComError number `f` throws, 0 when it does not throw.
inline int32_t failure(const std::function<void()>& f) {
    try {
        f();
    } catch (const ComError& e) {
        return e.number();
    }
    return 0;
}
