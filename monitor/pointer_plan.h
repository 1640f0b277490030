#pragma once
// What ApplyPointerSettings hands to the system for a profile, worked out apart from the system calls.

#include "common/profile_record.h"

#include <cstddef>
#include <vector>

// A profile field that holds a negative value (-1: its key was missing from a damaged profile file) is not applied:
// the system keeps its own value for it.
struct PointerPlan {
    int doubleClickTime = 500;     // applied when above 0
    bool zeroRegistry = false;     // write "0" to MouseSpeed, MouseThreshold1 and MouseThreshold2
    bool zeroAcceleration = false; // set the profile's Acceleration to 0 in Monitor's copy
    int mouse[3] = {0, 0, 0};      // SPI_SETMOUSE order: threshold 1, threshold 2, acceleration
    bool applySpeed = true;
    int speed = 10; // SPI_SETMOUSESPEED, 1..20
    bool applyWheel = true;
    int wheelLines = 3; // -1 for one screen per notch
};

// registrySpeed, threshold1 and threshold2 are the registry's "MouseSpeed", "MouseThreshold1", "MouseThreshold2".
PointerPlan PlanPointerSettings(const ProfileRecord& profile, int registrySpeed, int threshold1, int threshold2);

// One system call of applying a plan.
enum class PointerAction {
    DoubleClickTime, // SetDoubleClickTime
    ZeroRegistry,    // "0" into the registry's acceleration row
    SetMouse,        // SPI_SETMOUSE, broadcast by the system
    NotifyMouse,     // WM_SETTINGCHANGE SPI_SETMOUSE to Monitor's own window
    SetSpeed,        // SPI_SETMOUSESPEED, broadcast by the system
    NotifySpeed,     // WM_SETTINGCHANGE SPI_SETMOUSESPEED to Monitor's own window
    SetWheel,        // SPI_SETWHEELSCROLLLINES and its broadcast to every program
};

struct PointerStep {
    PointerAction action;
    int pauseBeforeMs; // how long the system needs after the step before
};

// Programs re-read the pointer settings on WM_SETTINGCHANGE: each broadcast gets time to settle before the next
// change.
inline constexpr int kPointerPauseMs = 300;

// The plan's system calls in their order, with the pauses between them (about 0.9 s in all).
std::vector<PointerStep> PointerSteps(const PointerPlan& plan);

// Where applying a plan stands. The window runs the steps that are due, then waits the pause on a timer, so that it
// goes on answering meanwhile.
class PointerSequence {
public:
    // A sequence still pending is dropped: the newest values win, from the first step on.
    void Start(const PointerPlan& plan) {
        plan_ = plan;
        steps_ = PointerSteps(plan);
        next_ = 0;
    }
    bool Pending() const { return next_ < steps_.size(); }
    const PointerPlan& Plan() const { return plan_; }

    // Runs the next step and those that follow it without a pause; returns the pause before the step after them, 0
    // when the sequence is done.
    template <typename F> int RunDue(F&& run) {
        if (!Pending()) {
            return 0;
        }
        do {
            run(steps_[next_++].action);
        } while (Pending() && steps_[next_].pauseBeforeMs == 0);
        return Pending() ? steps_[next_].pauseBeforeMs : 0;
    }
    // Runs every remaining step at once (Monitor is ending).
    template <typename F> void RunRest(F&& run) {
        while (Pending()) {
            run(steps_[next_++].action);
        }
    }

private:
    PointerPlan plan_;
    std::vector<PointerStep> steps_;
    size_t next_ = 0;
};
