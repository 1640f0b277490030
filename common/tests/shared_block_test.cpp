#include <windows.h>

#include <aclapi.h>

#include "common/shared_block.h"
#include "testing/process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

// The second process of these tests is this executable again, running one of the SharedBlockPeer tests.
constexpr char kPeerVariable[] = "KORVANE_BLOCK_PEER";
constexpr DWORD kPeerTimeoutMs = 60000;

uint8_t PatternByte(size_t i) {
    return static_cast<uint8_t>((i * 7 + 3) & 0xFF);
}

std::unique_ptr<ShareData> Pattern() {
    auto data = std::make_unique<ShareData>();
    auto* bytes = reinterpret_cast<uint8_t*>(data.get());
    for (size_t i = 0; i < sizeof(ShareData); ++i) {
        bytes[i] = PatternByte(i);
    }
    data->CurrentProfile = 3;
    data->MouseType = 0x11223344;
    data->LedType = 0x55667788;
    return data;
}

// What the peer writes back: the pattern with its last bytes changed.
std::unique_ptr<ShareData> Answer() {
    auto data = Pattern();
    data->CurrentProfile = 1;
    data->Profile[4].MacroKey[63].ProgramPath[261] = 'Z';
    data->MouseType = 7;
    data->LedType = 0x0BADF00D;
    return data;
}

bool SameBytes(const ShareData& a, const ShareData& b) {
    return std::memcmp(&a, &b, sizeof(ShareData)) == 0;
}

// Runs one SharedBlockPeer test in a second process; its exit code (0 when it passed), or -1.
int RunPeer(const char* test) {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    const std::string command = std::string("\"") + exe + "\" --gtest_brief=1 --gtest_filter=SharedBlockPeer." + test;
    SetEnvironmentVariableA(kPeerVariable, "1");
    const int code = RunProgram(command, nullptr, {kPeerTimeoutMs});
    SetEnvironmentVariableA(kPeerVariable, nullptr);
    return code;
}

bool IsPeer() {
    return std::getenv(kPeerVariable) != nullptr;
}

} // namespace

TEST(SharedBlock, CopiesTheWholeBlockBetweenTwoProcesses) {
    auto initial = Pattern();
    SharedBlock block;
    ASSERT_EQ(BlockResult::Ready, block.Create(*initial));
    ASSERT_TRUE(block.Mapped());

    // The peer opens the block, finds every byte of the pattern (MouseType and LedType too), is refused a second
    // creation, and writes its answer.
    ASSERT_EQ(0, RunPeer("OpenCheckAndAnswer"));

    auto read = std::make_unique<ShareData>();
    ASSERT_EQ(1, block.ReadBlock(*read));
    auto answer = Answer();
    EXPECT_TRUE(SameBytes(*answer, *read));
    EXPECT_EQ(7, read->MouseType);
    EXPECT_EQ(0x0BADF00D, read->LedType);
}

TEST(SharedBlock, SecondCreationIsRefusedAndNothingIsMapped) {
    auto initial = Pattern();
    SharedBlock first;
    ASSERT_EQ(BlockResult::Ready, first.Create(*initial));
    SharedBlock second;
    EXPECT_EQ(BlockResult::MutexExists, second.Create(*Answer()));
    EXPECT_FALSE(second.Mapped());
    auto read = std::make_unique<ShareData>();
    EXPECT_EQ(0, second.ReadBlock(*read));
    // The refused creation wrote nothing.
    ASSERT_EQ(1, first.ReadBlock(*read));
    EXPECT_TRUE(SameBytes(*initial, *read));
}

TEST(SharedBlock, OpenWithoutMonitorFindsNoMapping) {
    SharedBlock block;
    EXPECT_EQ(BlockResult::NoMapping, block.Open());
    EXPECT_FALSE(block.Mapped());
    auto data = Pattern();
    EXPECT_EQ(0, block.WriteBlock(*data));
    EXPECT_EQ(0, block.ReadBlock(*data));

    // After Monitor's close the names are gone and a new Monitor can create the block again.
    {
        SharedBlock monitor;
        ASSERT_EQ(BlockResult::Ready, monitor.Create(*data));
        ASSERT_EQ(BlockResult::Ready, block.Open());
        block.Close();
        block.Close();
    }
    EXPECT_EQ(BlockResult::NoMapping, block.Open());
    SharedBlock again;
    EXPECT_EQ(BlockResult::Ready, again.Create(*data));
}

TEST(SharedBlock, MappingHasANullAccessList) {
    SharedBlock block;
    ASSERT_EQ(BlockResult::Ready, block.Create(*Pattern()));
    PACL dacl = reinterpret_cast<PACL>(1);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD status = GetSecurityInfo(block.MappingHandle(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                         nullptr, &dacl, nullptr, &descriptor);
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), status);
    EXPECT_EQ(nullptr, dacl);
    LocalFree(descriptor);
}

TEST(SharedBlock, MutexAbandonedByADeadProgramStillGivesCopies) {
    auto initial = Pattern();
    SharedBlock block;
    ASSERT_EQ(BlockResult::Ready, block.Create(*initial));
    ASSERT_EQ(0, RunPeer("DieHoldingTheMutex"));
    auto answer = Answer();
    EXPECT_EQ(1, block.WriteBlock(*answer));
    auto read = std::make_unique<ShareData>();
    EXPECT_EQ(1, block.ReadBlock(*read));
    EXPECT_TRUE(SameBytes(*answer, *read));
}

TEST(SharedBlock, MovedOwnerKeepsTheBlock) {
    SharedBlock block;
    ASSERT_EQ(BlockResult::Ready, block.Create(*Pattern()));
    SharedBlock moved(std::move(block));
    EXPECT_FALSE(block.Mapped());
    auto read = std::make_unique<ShareData>();
    EXPECT_EQ(1, moved.ReadBlock(*read));
    SharedBlock assigned;
    assigned = std::move(moved);
    EXPECT_EQ(1, assigned.ReadBlock(*read));
    EXPECT_EQ(0x55667788, read->LedType);
}

// The second process of the tests above.
TEST(SharedBlockPeer, OpenCheckAndAnswer) {
    if (!IsPeer()) {
        GTEST_SKIP() << "runs only as the second process";
    }
    SharedBlock block;
    ASSERT_EQ(BlockResult::Ready, block.Open());
    auto read = std::make_unique<ShareData>();
    ASSERT_EQ(1, block.ReadBlock(*read));
    EXPECT_TRUE(SameBytes(*Pattern(), *read));
    EXPECT_EQ(0x11223344, read->MouseType);
    EXPECT_EQ(0x55667788, read->LedType);
    SharedBlock second;
    EXPECT_EQ(BlockResult::MutexExists, second.Create(*Answer()));
    EXPECT_EQ(1, block.WriteBlock(*Answer()));
}

TEST(SharedBlockPeer, DieHoldingTheMutex) {
    if (!IsPeer()) {
        GTEST_SKIP() << "runs only as the second process";
    }
    HANDLE mutex = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kShareDataMutexName);
    ASSERT_NE(nullptr, mutex);
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(mutex, 10000));
    ExitProcess(0); // without ReleaseMutex
}
