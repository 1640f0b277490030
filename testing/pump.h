#pragma once
// Waiting in a test without sleeping a fixed time: this thread's messages are pumped while it waits, so windows of
// the thread keep working and posted replies arrive.

#include <windows.h>

#include <functional>

inline constexpr DWORD kPumpTimeoutMs = 5000;
inline constexpr DWORD kAwaitTimeoutMs = 3000;

// Pumps this thread's messages until the condition holds or the time is up; true when it held.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = kPumpTimeoutMs);
// A test step's wait, on the test's thread or on a thread that drives a modal loop: the condition is looked at
// while this thread's messages are pumped, until it holds or the time is up; true when it held.
bool Await(const std::function<bool()>& condition, DWORD timeoutMs = kAwaitTimeoutMs);
// Pumps this thread's messages for the given time (for a look at what a window does on its own meanwhile).
void PumpFor(DWORD ms);
// Pumps until every message posted to this thread before the call has been handled: what a click or a key that
// already left the queue set off is over. False when the time is up first.
bool PumpPosted(DWORD timeoutMs = kPumpTimeoutMs);
