#pragma once
// The profile record and the shared aggregate. Their layout is a binary contract: the shared block between the two
// programs is exactly one ShareData, and both programs copy it whole. Every offset is pinned below.

#include <cstddef>
#include <cstdint>

inline constexpr int kProfileCount = 5;
inline constexpr int kMacroKeyCount = 64;
inline constexpr int kBankSize = 16;
inline constexpr int kDpiLevelCount = 6;
inline constexpr int kMacroEventBytes = 200;
inline constexpr int kMacroEventMax = 50;

#pragma pack(push, 1)

// One button-assignment entry, stored whole as one binary value in a profile file.
struct MacroKeyInfo {
    uint8_t ButtonNumber;  // the entry's own index 0..63
    uint8_t FunctionCode;  // see function_codes.h
    uint8_t Reserved[2];   // zero
    int32_t Param1;        // fire value A
    int32_t Param2;        // fire value B
    int32_t MacroOption;   // 0, 1 or 2 from the macro selection dialog
    char MacroName[20];    // NUL-terminated in a sound file; never trust that
    int32_t RepeatCount;   // copied from the macro record
    uint16_t ContentCount; // key set (codes 5, 67) or the macro's event count (code 6)
    uint8_t Data[200];     // key usage + modifiers, or 50 macro events of 4 bytes
    char ProgramPath[262]; // launch-program path (code 99)
};

struct ProfileRecord {
    char ProFileName[250];
    char GameFile[502];
    int32_t DbleClickSpeed;
    int32_t ScrollWheelSpeed;
    int32_t ScrollWheelFlag;
    int32_t MouseSpeed;
    int32_t Acceleration;
    int32_t AccelerationFlag;
    int32_t TiltSpeed;
    int32_t MediaOption;
    int32_t Orientation;
    int32_t XYSynchronous;
    int32_t Sensitivity_X;
    int32_t Sensitivity_Y;
    int32_t Sensitivity;
    int32_t Cpi_X;
    int32_t Cpi_Y;
    int32_t XYCpiFlag;
    int32_t CpiLevel_X[6];
    int32_t CpiLevel_Y[6];
    int32_t dpiStepFlag[8];
    uint8_t dpiIndicator[10];
    uint8_t DpiIndicationType;
    uint8_t ModeStatus;
    int32_t Brightness;
    int32_t BreathSpeed;
    int32_t LoopColor;
    int32_t CpiStep;
    int32_t OTGSpeed;
    int32_t PollingRate;
    int32_t ColorFlag[8];
    int32_t LightSwitch;
    int32_t LightType;
    int32_t ColorOptions;
    int32_t BTNDelay;
    int32_t B2WSens;
    int32_t W2BDelay;
    int32_t B2TSens;
    int32_t LedColor;
    int32_t LedLPColor;
    int32_t LedDPIColor[4];
    int32_t SLEDColor8[8]; // stored under the keys "8SLEDColor%d"
    MacroKeyInfo MacroKey[64];
};

struct ShareData {
    int32_t CurrentProfile; // 0..4, -1 for none; check before use
    ProfileRecord Profile[5];
    int32_t MouseType;
    int32_t LedType;
};

#pragma pack(pop)

static_assert(sizeof(MacroKeyInfo) == 504);
static_assert(offsetof(MacroKeyInfo, FunctionCode) == 1);
static_assert(offsetof(MacroKeyInfo, Param1) == 4);
static_assert(offsetof(MacroKeyInfo, Param2) == 8);
static_assert(offsetof(MacroKeyInfo, MacroOption) == 12);
static_assert(offsetof(MacroKeyInfo, MacroName) == 16);
static_assert(offsetof(MacroKeyInfo, RepeatCount) == 36);
static_assert(offsetof(MacroKeyInfo, ContentCount) == 40);
static_assert(offsetof(MacroKeyInfo, Data) == 42);
static_assert(offsetof(MacroKeyInfo, ProgramPath) == 242);

static_assert(sizeof(ProfileRecord) == 33304);
static_assert(offsetof(ProfileRecord, GameFile) == 250);
static_assert(offsetof(ProfileRecord, DbleClickSpeed) == 752);
static_assert(offsetof(ProfileRecord, ScrollWheelSpeed) == 756);
static_assert(offsetof(ProfileRecord, ScrollWheelFlag) == 760);
static_assert(offsetof(ProfileRecord, MouseSpeed) == 764);
static_assert(offsetof(ProfileRecord, Acceleration) == 768);
static_assert(offsetof(ProfileRecord, AccelerationFlag) == 772);
static_assert(offsetof(ProfileRecord, TiltSpeed) == 776);
static_assert(offsetof(ProfileRecord, MediaOption) == 780);
static_assert(offsetof(ProfileRecord, Orientation) == 784);
static_assert(offsetof(ProfileRecord, XYSynchronous) == 788);
static_assert(offsetof(ProfileRecord, Sensitivity_X) == 792);
static_assert(offsetof(ProfileRecord, Sensitivity_Y) == 796);
static_assert(offsetof(ProfileRecord, Sensitivity) == 800);
static_assert(offsetof(ProfileRecord, Cpi_X) == 804);
static_assert(offsetof(ProfileRecord, Cpi_Y) == 808);
static_assert(offsetof(ProfileRecord, XYCpiFlag) == 812);
static_assert(offsetof(ProfileRecord, CpiLevel_X) == 816);
static_assert(offsetof(ProfileRecord, CpiLevel_Y) == 840);
static_assert(offsetof(ProfileRecord, dpiStepFlag) == 864);
static_assert(offsetof(ProfileRecord, dpiIndicator) == 896);
static_assert(offsetof(ProfileRecord, DpiIndicationType) == 906);
static_assert(offsetof(ProfileRecord, ModeStatus) == 907);
static_assert(offsetof(ProfileRecord, Brightness) == 908);
static_assert(offsetof(ProfileRecord, BreathSpeed) == 912);
static_assert(offsetof(ProfileRecord, LoopColor) == 916);
static_assert(offsetof(ProfileRecord, CpiStep) == 920);
static_assert(offsetof(ProfileRecord, OTGSpeed) == 924);
static_assert(offsetof(ProfileRecord, PollingRate) == 928);
static_assert(offsetof(ProfileRecord, ColorFlag) == 932);
static_assert(offsetof(ProfileRecord, LightSwitch) == 964);
static_assert(offsetof(ProfileRecord, LightType) == 968);
static_assert(offsetof(ProfileRecord, ColorOptions) == 972);
static_assert(offsetof(ProfileRecord, BTNDelay) == 976);
static_assert(offsetof(ProfileRecord, B2WSens) == 980);
static_assert(offsetof(ProfileRecord, W2BDelay) == 984);
static_assert(offsetof(ProfileRecord, B2TSens) == 988);
static_assert(offsetof(ProfileRecord, LedColor) == 992);
static_assert(offsetof(ProfileRecord, LedLPColor) == 996);
static_assert(offsetof(ProfileRecord, LedDPIColor) == 1000);
static_assert(offsetof(ProfileRecord, SLEDColor8) == 1016);
static_assert(offsetof(ProfileRecord, MacroKey) == 1048);

static_assert(sizeof(ShareData) == 166532);
static_assert(offsetof(ShareData, Profile) == 4);
static_assert(offsetof(ShareData, MouseType) == 166524);
static_assert(offsetof(ShareData, LedType) == 166528);

// The default function code of entry n (each bank of 16 repeats the same list).
int DefaultFunctionCode(int entry);

void ResetProfile(ProfileRecord& record, int index);
void ResetAll(ShareData& data);
void InitShareData(ShareData& data);

// A macro entry's repeat count kept in 1..255, the range the editor allows: a damaged file or a hostile block must
// not make the mouse play a macro 40000 times (or, at 0x10000, never).
void KeepRepeatCountsInRange(ProfileRecord& record);
void KeepRepeatCountsInRange(ShareData& data);

// The active profile, or nullptr when CurrentProfile is outside 0..4.
ProfileRecord* ActiveProfile(ShareData& data);
const ProfileRecord* ActiveProfile(const ShareData& data);

// A profile by index, or nullptr outside 0..4.
ProfileRecord* ProfileAt(ShareData& data, int index);
const ProfileRecord* ProfileAt(const ShareData& data, int index);

// The length of a text in a fixed field that may lack its terminator (a damaged file, a hostile block): never more
// than the field. Use it wherever such a field is shown or copied.
template <size_t N> size_t FieldLength(const char (&field)[N]) {
    size_t n = 0;
    while (n < N && field[n] != '\0') {
        ++n;
    }
    return n;
}
