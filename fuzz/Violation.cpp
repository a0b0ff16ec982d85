// What a violated fuzz check does under libFuzzer: say what failed on which
// input, then abort so that libFuzzer keeps the input as a finding.

#include "FuzzTarget.h"

#include <cstdio>
#include <cstdlib>

namespace fuzzing {

bool registerTarget(const char*, TargetFn) { return true; }

void violated(const char* condition, const char* file, int line, const QString& detail) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n  %s\n", file, line, condition,
                 detail.toUtf8().constData());
    std::abort();
}

}  // namespace fuzzing
