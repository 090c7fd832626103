#pragma once
// The runtime's services that are not windows, reached through the running program's backend.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/Backend.h"
#include "runtime/system/NativeFiles.h"

namespace runtime {

// The window style of a started application: its first window shows normally, with the focus.
// The only one the gate starts with; Shell refuses the others.
inline constexpr int kNormalFocus = 1;

// The running executable's directory, UTF-8, without a trailing separator.
std::string AppPath();

// The screen's horizontal twips-per-pixel factor.
double TwipsPerPixelX();

// The wall clock, milliseconds since 1970-01-01 00:00 UTC (see Backend::wallClockMs).
std::int64_t WallClockMs();

// Milliseconds on a clock that only runs forward, from an arbitrary start (see
// Backend::monotonicMs).
std::int64_t MonotonicMs();

// The local time zone's offset from UTC in seconds at that moment (see Backend::utcOffsetAt).
std::int32_t UtcOffsetAt(std::int64_t utcSeconds);

// A modal message box with one OK button; returns when dismissed.
void MsgBox(std::string_view text, std::string_view title, MessageIcon icon);

// Writes one line to the program's log (see Backend::log).
void Log(std::string_view line);

// The session's idle time as the desktop counts it; null where the desktop offers none.
std::unique_ptr<IdleSource> CreateIdleSource();

// Starts a command line with the window style above; throws runtime::Error when it cannot be
// started, error 5 for a blank line or another style.
std::unique_ptr<Application> Shell(std::string_view commandLine, int windowStyle);

// Ends the user's desktop session (see Backend::logOff); when the platform cannot, writes one
// line saying why to the program's log, and the program ends as it would have.
void LogOff();

}  // namespace runtime
