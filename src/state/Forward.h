#pragma once
// The program state's types by name only, for headers that take them by
// reference and need no more.

namespace state {
struct Globals;
struct FormState;
class ErrorLog;
class ProgressView;
class Prompt;
}  // namespace state
