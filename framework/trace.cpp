#include "framework/trace.h"

#include <windows.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {
std::atomic<TraceHook> traceHook{nullptr};
}

void Trace(const char* format, ...) {
    if (format == nullptr) {
        return;
    }
    char line[kTraceLineMax];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n < 0) {
        return;
    }
    // A cut line keeps its end of line, so the next one does not run into it.
    size_t formatLength = std::strlen(format);
    if (static_cast<size_t>(n) >= sizeof line && formatLength > 0 && format[formatLength - 1] == '\n') {
        line[sizeof line - 2] = '\n';
    }
    OutputDebugStringA(line);
    if (TraceHook hook = traceHook.load()) {
        hook(line);
    }
}

TraceHook SetTraceHook(TraceHook hook) {
    return traceHook.exchange(hook);
}

double MillisecondsSinceProcessStart() {
    FILETIME created{}, exited{}, kernel{}, user{}, now{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    auto ticks = [](const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(now) - ticks(created)) / 10000.0;
}
