// The application manifest of every program that ships, read back from the built files and through the platform's
// own reading of it: Windows 10 and 11 compatibility, the rights of whoever starts it, not DPI-aware, and no
// request for version 6 of the common controls.

#include <windows.h>

#include "testing/process.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Windows 10 and Windows 11 share this compatibility id.
constexpr GUID kWindows10 = {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}};

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR names) {
    reinterpret_cast<std::vector<ULONG_PTR>*>(names)->push_back(IS_INTRESOURCE(name) ? reinterpret_cast<ULONG_PTR>(name)
                                                                                     : ULONG_PTR{0xFFFF});
    return TRUE;
}

// The manifest resources of a file by number (0xFFFF for a named one), and the text of resource 1.
std::vector<ULONG_PTR> ManifestResources(const std::string& path, std::string& text) {
    std::vector<ULONG_PTR> names;
    HMODULE image = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!image) {
        return names;
    }
    EnumResourceNamesA(image, RT_MANIFEST, CollectName, reinterpret_cast<LONG_PTR>(&names));
    if (HRSRC found = FindResourceA(image, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST)) {
        const void* data = LockResource(LoadResource(image, found));
        text.assign(static_cast<const char*>(data), SizeofResource(image, found));
    }
    FreeLibrary(image);
    return names;
}

// A setting of the manifest's application settings as the platform reads it; empty when there is none.
std::wstring Setting(HANDLE context, const wchar_t* space, const wchar_t* name) {
    wchar_t value[64] = {};
    SIZE_T written = 0;
    if (!QueryActCtxSettingsW(0, context, space, name, value, ARRAYSIZE(value), &written)) {
        return {};
    }
    return value;
}

// The operating systems the manifest declares, as the platform reads them. The element grew a 64-bit field in later
// versions of the platform, so its size is taken from what the platform wrote.
std::vector<GUID> SupportedSystems(HANDLE context) {
    std::vector<GUID> systems;
    alignas(8) unsigned char buffer[512] = {};
    SIZE_T written = 0;
    if (!QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext, buffer, sizeof buffer,
                      &written)) {
        return systems;
    }
    DWORD count = 0;
    std::memcpy(&count, buffer, sizeof count);
    if (count == 0 || count > 16) {
        return systems;
    }
    // Either {GUID, type} elements after the count, or {GUID, type, 64-bit version} elements 8-aligned.
    const bool grown = written >= 8 + count * 32;
    const size_t first = grown ? 8 : 4;
    const size_t stride = grown ? 32 : sizeof(COMPATIBILITY_CONTEXT_ELEMENT);
    for (DWORD i = 0; i < count; ++i) {
        COMPATIBILITY_CONTEXT_ELEMENT element;
        std::memcpy(&element, buffer + first + i * stride, sizeof element);
        if (element.Type == ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS) {
            systems.push_back(element.Id);
        }
    }
    return systems;
}

TEST(ProgramManifest, EveryShippedProgramStatesItsSystemsItsRightsAndItsDpiChoice) {
    for (const char* program : {"Monitor.exe", "Option.exe", "VexelOSD.exe", "mousectl.exe"}) {
        SCOPED_TRACE(program);
        const std::string path = TestProgramFolder() + program; // the test runs beside the programs
        std::string text;
        EXPECT_EQ(std::vector<ULONG_PTR>{reinterpret_cast<ULONG_PTR>(CREATEPROCESS_MANIFEST_RESOURCE_ID)},
                  ManifestResources(path, text));
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(std::string::npos, text.find("Common-Controls"));

        ACTCTXA request = {};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = path.c_str();
        request.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
        HANDLE context = CreateActCtxA(&request);
        ASSERT_NE(INVALID_HANDLE_VALUE, context) << "the platform refuses the manifest: " << GetLastError();

        ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
        EXPECT_TRUE(
            QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level, sizeof level, nullptr));
        EXPECT_EQ(ACTCTX_RUN_LEVEL_AS_INVOKER, level.RunLevel);
        EXPECT_EQ(0u, level.UiAccess);

        const std::vector<GUID> systems = SupportedSystems(context);
        ASSERT_EQ(1u, systems.size());
        EXPECT_TRUE(IsEqualGUID(kWindows10, systems[0]));

        EXPECT_EQ(L"false", Setting(context, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"));
        EXPECT_EQ(L"unaware",
                  Setting(context, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"));
        ReleaseActCtx(context);
    }
}

} // namespace
