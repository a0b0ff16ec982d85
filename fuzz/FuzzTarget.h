#pragma once
// One fuzz target per file under fuzz/targets. A target is written once:
//
//   TV_FUZZ_TARGET(store_url)(const uint8_t* data, size_t size) { ... }
//
// Built with TAVIMOR_LIBFUZZER it becomes the libFuzzer entry point of its own
// executable; otherwise it is registered by name, and the seed-corpus test runs
// every target over its corpus folder. TV_FUZZ_CHECK states what must hold for
// every input: a violation aborts under libFuzzer (a finding) and fails the test
// otherwise.

#include <QString>

#include <cstddef>
#include <cstdint>

namespace fuzzing {

using TargetFn = void (*)(const uint8_t* data, size_t size);

bool registerTarget(const char* name, TargetFn fn);
[[noreturn]] void violated(const char* condition, const char* file, int line, const QString& detail);

// The input as text (invalid UTF-8 becomes replacement characters).
inline QString text(const uint8_t* data, size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

}  // namespace fuzzing

#define TV_FUZZ_CHECK(cond, detail)                                                 \
    do {                                                                            \
        if (!(cond)) ::fuzzing::violated(#cond, __FILE__, __LINE__, (detail));      \
    } while (0)

#ifdef TAVIMOR_LIBFUZZER
#define TV_FUZZ_TARGET(name)                                                        \
    static void tv_fuzz_##name(const uint8_t*, size_t);                             \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {       \
        tv_fuzz_##name(data, size);                                                 \
        return 0;                                                                   \
    }                                                                               \
    static void tv_fuzz_##name
#else
#define TV_FUZZ_TARGET(name)                                                        \
    static void tv_fuzz_##name(const uint8_t*, size_t);                             \
    [[maybe_unused]] static const bool tv_fuzz_registered_##name =                  \
        ::fuzzing::registerTarget(#name, &tv_fuzz_##name);                          \
    static void tv_fuzz_##name
#endif
