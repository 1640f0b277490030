#pragma once
// What ApplyPointerSettings hands to the system for a profile, worked out apart from the system calls.

#include "common/profile_record.h"

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
