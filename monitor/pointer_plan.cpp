#include "monitor/pointer_plan.h"

PointerPlan PlanPointerSettings(const ProfileRecord& profile, int registrySpeed, int threshold1, int threshold2) {
    PointerPlan plan;
    plan.doubleClickTime = profile.DbleClickSpeed;
    int a = registrySpeed;
    int t1 = threshold1;
    int t2 = threshold2;
    const bool accelerationOff = profile.AccelerationFlag >= 0 && profile.AccelerationFlag != 1;
    if (accelerationOff && (a != 0 || t1 != 0 || t2 != 0)) {
        plan.zeroRegistry = true;
        plan.zeroAcceleration = true;
        a = t1 = t2 = 0;
    }
    plan.mouse[0] = t1;
    plan.mouse[1] = t2;
    plan.mouse[2] = a;
    // The system takes speeds 1..20 only; a damaged profile must not leave the pointer unusable.
    plan.applySpeed = profile.MouseSpeed >= 0;
    plan.speed = profile.MouseSpeed < 1 ? 1 : (profile.MouseSpeed > 20 ? 20 : profile.MouseSpeed);
    if (profile.ScrollWheelFlag < 0) {
        plan.applyWheel = false;
    } else if (profile.ScrollWheelFlag != 0) {
        plan.wheelLines = -1;
    } else {
        plan.applyWheel = profile.ScrollWheelSpeed >= 0;
        plan.wheelLines = profile.ScrollWheelSpeed;
    }
    return plan;
}

std::vector<PointerStep> PointerSteps(const PointerPlan& plan) {
    std::vector<PointerStep> steps;
    if (plan.doubleClickTime > 0) {
        steps.push_back({PointerAction::DoubleClickTime, 0});
    }
    if (plan.zeroRegistry) {
        steps.push_back({PointerAction::ZeroRegistry, 0});
    }
    steps.push_back({PointerAction::SetMouse, 0});
    steps.push_back({PointerAction::NotifyMouse, kPointerPauseMs});
    // The pause after the notification comes before whatever follows it.
    int pause = kPointerPauseMs;
    if (plan.applySpeed) {
        steps.push_back({PointerAction::SetSpeed, pause});
        steps.push_back({PointerAction::NotifySpeed, kPointerPauseMs});
        pause = 0;
    }
    if (plan.applyWheel) {
        steps.push_back({PointerAction::SetWheel, pause});
    }
    return steps;
}
