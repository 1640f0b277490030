#include "monitor/firmware_image.h"
#include "monitor/pointer_plan.h"
#include "monitor/registry_path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {
uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}
} // namespace

TEST(FirmwareImage, SizeRowsAndVersionTexts) {
    const auto image = BuildFirmwareImage();
    ASSERT_EQ(kFirmwareImageSize, image.size());
    for (int row = 0; row < 5; ++row) {
        const size_t at = 5 + 8 * static_cast<size_t>(row);
        EXPECT_EQ(0x10 + row, U16(image, at + 2));
        EXPECT_EQ(8, U16(image, at + 4));
        EXPECT_EQ(0x3FFF, U16(image, at + 6));
    }
    // Walk the tagged records: they must tile the rest of the image exactly.
    size_t at = 45;
    std::vector<std::string> texts;
    while (at < image.size()) {
        ASSERT_LE(at + 3, image.size());
        const uint8_t tag = image[at];
        const size_t size = U16(image, at + 1);
        ASSERT_LE(at + 3 + size, image.size());
        if (tag == 1 || tag == 2) {
            texts.emplace_back(reinterpret_cast<const char*>(&image[at + 3]));
        }
        at += 3 + size;
    }
    EXPECT_EQ(image.size(), at);
    ASSERT_EQ(2u, texts.size());
    EXPECT_EQ(kFirmwareVersionText, texts[0]);
    EXPECT_EQ(kFirmwareBootText, texts[1]);
    EXPECT_EQ(image, BuildFirmwareImage());
}

TEST(RegistryPath, RootsCaseBlindAndRefusals) {
    auto p = SplitRegistryPath("hkey_current_user\\Control Panel\\Mouse");
    ASSERT_TRUE(p);
    EXPECT_EQ(RegistryRoot::CurrentUser, p->root);
    EXPECT_EQ("Control Panel\\Mouse", p->subKey);
    EXPECT_EQ(RegistryRoot::ClassesRoot, SplitRegistryPath("HKEY_CLASSES_ROOT\\x")->root);
    EXPECT_EQ(RegistryRoot::CurrentConfig, SplitRegistryPath("HKEY_CURRENT_CONFIG\\x")->root);
    EXPECT_FALSE(SplitRegistryPath("HKEY_CURRENT_USER"));
    auto unknown = SplitRegistryPath("Software\\Korvane");
    ASSERT_TRUE(unknown);
    EXPECT_EQ(RegistryRoot::LocalMachine, unknown->root);
    EXPECT_EQ("Software\\Korvane", unknown->subKey);
}

TEST(PointerPlan, AccelerationOffZeroesTheRegistryRow) {
    ProfileRecord p{};
    ResetProfile(p, 0);
    p.AccelerationFlag = 0;
    auto plan = PlanPointerSettings(p, 1, 6, 10);
    EXPECT_TRUE(plan.zeroRegistry);
    EXPECT_TRUE(plan.zeroAcceleration);
    EXPECT_EQ(0, plan.mouse[0]);
    EXPECT_EQ(0, plan.mouse[1]);
    EXPECT_EQ(0, plan.mouse[2]);
    plan = PlanPointerSettings(p, 0, 0, 0);
    EXPECT_FALSE(plan.zeroRegistry);
}

TEST(PointerPlan, AccelerationOnAppliesTheRegistryAsItIs) {
    ProfileRecord p{};
    ResetProfile(p, 0);
    p.AccelerationFlag = 1;
    p.ScrollWheelFlag = 1;
    p.ScrollWheelSpeed = 7;
    p.MouseSpeed = 99;
    p.DbleClickSpeed = 321;
    auto plan = PlanPointerSettings(p, 2, 4, 13);
    EXPECT_FALSE(plan.zeroRegistry);
    EXPECT_EQ(4, plan.mouse[0]);
    EXPECT_EQ(13, plan.mouse[1]);
    EXPECT_EQ(2, plan.mouse[2]);
    EXPECT_EQ(-1, plan.wheelLines);
    EXPECT_EQ(20, plan.speed);
    EXPECT_EQ(321, plan.doubleClickTime);
    p.ScrollWheelFlag = 0;
    p.MouseSpeed = 0;
    plan = PlanPointerSettings(p, 2, 4, 13);
    EXPECT_TRUE(plan.applyWheel);
    EXPECT_EQ(7, plan.wheelLines);
    EXPECT_TRUE(plan.applySpeed);
    EXPECT_EQ(1, plan.speed);
}

// A profile cut in the middle reads -1 for the keys it lost: the system keeps its own values for them.
TEST(PointerPlan, ValuesMissingFromADamagedFileAreNotApplied) {
    ProfileRecord p{};
    ResetProfile(p, 0);
    p.DbleClickSpeed = -1;
    p.MouseSpeed = -1;
    p.AccelerationFlag = -1;
    p.Acceleration = -1;
    p.ScrollWheelFlag = -1;
    p.ScrollWheelSpeed = 5;
    auto plan = PlanPointerSettings(p, 1, 6, 10);
    EXPECT_LE(plan.doubleClickTime, 0);
    EXPECT_FALSE(plan.applySpeed);
    EXPECT_FALSE(plan.applyWheel);
    EXPECT_FALSE(plan.zeroRegistry);
    EXPECT_FALSE(plan.zeroAcceleration);
    EXPECT_EQ(6, plan.mouse[0]); // the registry's own row, as it is
    EXPECT_EQ(10, plan.mouse[1]);
    EXPECT_EQ(1, plan.mouse[2]);

    // One-screen scrolling known, lines lost: one screen; lines lost with scrolling by lines: nothing.
    p.ScrollWheelFlag = 1;
    p.ScrollWheelSpeed = -1;
    EXPECT_EQ(-1, PlanPointerSettings(p, 0, 0, 0).wheelLines);
    EXPECT_TRUE(PlanPointerSettings(p, 0, 0, 0).applyWheel);
    p.ScrollWheelFlag = 0;
    EXPECT_FALSE(PlanPointerSettings(p, 0, 0, 0).applyWheel);
}

namespace {
using A = PointerAction;

// The actions run by each RunDue call, and the pause each call asked for.
struct Batches {
    std::vector<std::vector<A>> batches;
    std::vector<int> pauses;
};
Batches RunToEnd(PointerSequence& sequence) {
    Batches run;
    while (sequence.Pending()) {
        run.batches.emplace_back();
        run.pauses.push_back(sequence.RunDue([&](A a) { run.batches.back().push_back(a); }));
    }
    return run;
}
} // namespace

// The system calls in their order, with the pauses that let each broadcast settle, as the window's timer runs them.
TEST(PointerSequence, StepsComeInTheSystemsOrderWithTheirPauses) {
    ProfileRecord p{};
    ResetProfile(p, 0);
    p.AccelerationFlag = 0;
    PointerSequence sequence;
    sequence.Start(PlanPointerSettings(p, 1, 6, 10));
    Batches run = RunToEnd(sequence);
    const std::vector<std::vector<A>> whole = {{A::DoubleClickTime, A::ZeroRegistry, A::SetMouse},
                                               {A::NotifyMouse},
                                               {A::SetSpeed},
                                               {A::NotifySpeed, A::SetWheel}};
    EXPECT_EQ(whole, run.batches);
    EXPECT_EQ((std::vector<int>{300, 300, 300, 0}), run.pauses);
    EXPECT_EQ(0, sequence.RunDue([](A) { ADD_FAILURE() << "a step after the end"; }));

    // Without a speed the wheel follows the mouse's notification after its pause; without a wheel nothing follows
    // the speed's notification.
    p.MouseSpeed = -1;
    sequence.Start(PlanPointerSettings(p, 0, 0, 0));
    run = RunToEnd(sequence);
    EXPECT_EQ((std::vector<std::vector<A>>{{A::DoubleClickTime, A::SetMouse}, {A::NotifyMouse}, {A::SetWheel}}),
              run.batches);
    EXPECT_EQ((std::vector<int>{300, 300, 0}), run.pauses);
    p.MouseSpeed = 7;
    p.ScrollWheelFlag = -1;
    p.DbleClickSpeed = -1;
    sequence.Start(PlanPointerSettings(p, 0, 0, 0));
    run = RunToEnd(sequence);
    EXPECT_EQ((std::vector<std::vector<A>>{{A::SetMouse}, {A::NotifyMouse}, {A::SetSpeed}, {A::NotifySpeed}}),
              run.batches);
    EXPECT_EQ((std::vector<int>{300, 300, 300, 0}), run.pauses);
}

// A second apply while one is pending starts again from the first step with the newest values; at the end the rest
// runs at once.
TEST(PointerSequence, ANewApplyRestartsAndTheRestRunsAtOnce) {
    ProfileRecord p{};
    ResetProfile(p, 0);
    p.AccelerationFlag = 1;
    p.MouseSpeed = 4;
    PointerSequence sequence;
    sequence.Start(PlanPointerSettings(p, 1, 6, 10));
    std::vector<A> ran;
    const auto record = [&](A a) { ran.push_back(a); };
    EXPECT_EQ(300, sequence.RunDue(record));
    EXPECT_EQ(300, sequence.RunDue(record));
    EXPECT_EQ((std::vector<A>{A::DoubleClickTime, A::SetMouse, A::NotifyMouse}), ran);

    p.MouseSpeed = 15;
    p.AccelerationFlag = 0;
    sequence.Start(PlanPointerSettings(p, 1, 6, 10));
    EXPECT_EQ(15, sequence.Plan().speed);
    EXPECT_TRUE(sequence.Plan().zeroRegistry);
    ran.clear();
    EXPECT_EQ(300, sequence.RunDue(record));
    EXPECT_EQ((std::vector<A>{A::DoubleClickTime, A::ZeroRegistry, A::SetMouse}), ran);

    ran.clear();
    sequence.RunRest(record);
    EXPECT_EQ((std::vector<A>{A::NotifyMouse, A::SetSpeed, A::NotifySpeed, A::SetWheel}), ran);
    EXPECT_FALSE(sequence.Pending());
    ran.clear();
    sequence.RunRest(record);
    EXPECT_TRUE(ran.empty());
}
