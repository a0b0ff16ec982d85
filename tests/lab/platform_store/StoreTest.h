#pragma once
// Common ground of the store tests: the store layer's names, a temporary store,
// and errorOf() for the error number a call throws.

#include "lab/platform_store/TempStore.h"
#include "platform/store/Store.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

using namespace platform::store;
using platform::ComError;
using testsupport::TempStore;
using lab::StoreBuilder;
using testing_support::errorOf;
