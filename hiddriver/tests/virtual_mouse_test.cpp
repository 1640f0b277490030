#include "hiddriver/virtual_mouse.h"

#include <gtest/gtest.h>

using namespace vmouse;

TEST(VirtualMouse, AnswersTheStageRequest) {
    VirtualMouse mouse;
    auto request = MakeReport({0x8B});
    EXPECT_EQ(0x74, request[7]);
    EXPECT_TRUE(mouse.SetFeature(request.data(), 8).ok);
    std::array<uint8_t, 8> answer{};
    ASSERT_TRUE(mouse.GetFeature(answer).ok);
    EXPECT_EQ(0x8B, answer[0]);
    EXPECT_EQ(mouse.memory().selectedStage, answer[1]);
}
