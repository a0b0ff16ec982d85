#include "platform/sqlite/Failure.h"

namespace platform::sqlite {

const char* stageName(Stage stage) {
    switch (stage) {
    case Stage::Open:
        return "open";
    case Stage::Exec:
        return "exec";
    case Stage::Prepare:
        return "prepare";
    case Stage::Bind:
        return "bind";
    case Stage::Step:
        return "step";
    }
    return "?";
}

}  // namespace platform::sqlite
