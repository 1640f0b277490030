#pragma once
// Diagnostics: plain lines to the debugger output. Callers write the "\n" themselves, as in
// Trace("CMonitorWnd OnCustomizer\n").

#include <windows.h>

// Formats into a bounded buffer (longer lines are cut, keeping their final "\n") and writes it with
// OutputDebugStringA.
void Trace(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

inline constexpr int kTraceLineMax = 1024;

// Tests see every line through a hook (called on the tracing thread, after the line went to the debugger).
// Returns the previous hook; pass nullptr to remove it.
using TraceHook = void (*)(const char* line);
TraceHook SetTraceHook(TraceHook hook);

// Milliseconds from this process's creation to now, as the system accounts it (the start-up measures).
double MillisecondsSinceProcessStart();
