#pragma once
// Option's main window: a skinned dialog with the basic and the advanced page, five profile buttons, import and
// export, OK / Apply / Cancel, minimise, close and the web page. It owns the program's working and shadow copies
// (OptionContext); the pages edit the working copy's active profile, and nothing leaves it before Apply.

#include <windows.h>

#include <string>

#include "common/messages.h"
#include "option/app/option_context.h"
#include "option/pages/advanced_page.h"
#include "option/pages/button_page.h"
#include "option/skin/region_button.h"
#include "option/skin/skin_button.h"
#include "option/skin/skinned_dialog.h"

class MainWindow : public SkinnedDialog, public OptionShell {
public:
    // The context's program folder must be set; the window fills the rest of it.
    explicit MainWindow(OptionContext& context);
    ~MainWindow() override;

    // 0 the basic page, 1 the advanced page.
    void ShowPage(int page);
    void SelectProfile(int index);
    void RefreshPages() override;
    void Apply() override;
    void RefreshButtonPage() override { buttonPage_.Refresh(); }
    // Apply, then the window closes without waiting for Monitor's answer.
    void Ok();
    void ImportProfile();
    void ExportProfile();
    // The file steps of import and export, after the file dialog: true when the working copy or the file changed.
    bool ImportProfileFrom(const std::string& chosen);
    bool ExportProfileTo(const std::string& path);

    int ShownPage() const { return shownPage_; }
    bool Busy() const { return busy_; }
    ButtonPage& BasicPage() { return buttonPage_; }
    AdvancedPage& Advanced() { return advancedPage_; }
    RegionTextButton& Tab(int page) { return page == 0 ? basicTab_ : advancedTab_; }
    RegionTextButton& ProfileButton(int index) { return profiles_[index]; }
    RegionTextButton& OkButton() { return ok_; }
    RegionTextButton& ApplyButton() { return apply_; }
    RegionTextButton& CancelButton() { return cancel_; }
    SkinButton& ImportButton() { return import_; }
    SkinButton& ExportButton() { return export_; }
    SkinButton& MinimizeButton() { return minimize_; }
    SkinButton& CloseButton() { return close_; }
    SkinButton& WebButton() { return web_; }
    // With it on, the window prints the milliseconds from the process's start to its first painted frame and to both
    // pages created and painted, with the skin builds, then closes.
    void SetMeasureStart(bool on) { measureStart_ = on; }
    // A moment of the start, named, for the second line the measure prints (milliseconds since the process started).
    void MarkStart(const char* what);
    // Whether the device-missing warning was shown by the first tick.
    bool DeviceWarningShown() const { return deviceWarningShown_; }
    // Whether the warning that the macro library will not be saved was shown by the first tick.
    bool LibraryWarningShown() const { return libraryWarningShown_; }
    // Whether the first tick's checks are over, with any warning they showed answered: no start warning comes later.
    bool StartChecked() const { return startChecked_; }

    static constexpr UINT_PTR kStartTimer = 1;
    static constexpr UINT_PTR kApplyTimer = 2;
    // Posted to itself by the first paint: the pages not shown at first are built then.
    static constexpr UINT kCreateLaterPagesMessage = WM_APP + 1;
    // Monitor answers an apply within seconds; without an answer the window stops waiting after this.
    static constexpr UINT kApplyAnswerLimitMs = 30000;
    // Tests wait less.
    void SetApplyAnswerLimit(UINT ms) { applyLimitMs_ = ms; }
    static constexpr char kWebPage[] = "https://korvane.example/";

protected:
    void CreateControls(const SkinScreens& screens) override;
    bool OnSkinInit() override;
    bool ProcessMessage(WindowMessage& m) override;

private:
    void OnBasicTab() { ShowPage(0); }
    void OnAdvancedTab() { ShowPage(1); }
    void OnMinimize();
    void OnWeb();
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    LRESULT OnQueryEndSession(WPARAM wParam, LPARAM lParam);
    LRESULT OnEndSession(WPARAM wParam, LPARAM lParam);
    LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnDeviceStateRead(WPARAM wParam, LPARAM lParam);
    LRESULT OnProfileSwitched(WPARAM wParam, LPARAM lParam);
    LRESULT OnDeviceSettingChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnApplyFinished(WPARAM wParam, LPARAM lParam);
    // While busy the window holds the mouse: a click reaches the window, which lets Cancel and close work.
    bool OnBusyClick(const WindowMessage& m);
    void LoadSettings();
    // The macro library into its file, unless the file was not read whole at the start.
    void SaveMacros();
    // What every way out does: the system's double-click time back when it was changed without Apply, the library
    // saved.
    void SaveOnExit();
    void TakeBlock();
    void EnableOkApply(bool on);
    void EndBusy();
    void Close();
    void OnFirstPaint();
    // A page as a child in the page area.
    void PlacePage(SkinnedDialog& page);
    // The advanced page, refreshed from the working copy; nothing when it exists.
    void CreateAdvancedPage();
    LRESULT OnCreateLaterPages(WPARAM wParam, LPARAM lParam);
    void MeasurePages();

    // The ids of the window's buttons.
    static constexpr int kBasicTabId = 1001, kAdvancedTabId = 1002, kOkId = 1003, kApplyId = 1004, kCancelId = 1005,
                         kMinimizeId = 1006, kCloseId = 1007, kWebId = 1008, kImportId = 1009, kExportId = 1010;
    static constexpr int kFirstProfileId = 1011; // 5 profiles
    using Entry = MessageEntry<MainWindow>;
    static constexpr Entry kMessageMap[] = {
        Entry::Clicked(kBasicTabId, &MainWindow::OnBasicTab),
        Entry::Clicked(kAdvancedTabId, &MainWindow::OnAdvancedTab),
        Entry::Clicked(kOkId, &MainWindow::Ok),
        Entry::Clicked(kApplyId, &MainWindow::Apply),
        Entry::Clicked(kCancelId, &MainWindow::Close),
        Entry::Clicked(kCloseId, &MainWindow::Close),
        Entry::Clicked(kMinimizeId, &MainWindow::OnMinimize),
        Entry::Clicked(kWebId, &MainWindow::OnWeb),
        Entry::Clicked(kImportId, &MainWindow::ImportProfile),
        Entry::Clicked(kExportId, &MainWindow::ExportProfile),
        Entry::ClickedRange(kFirstProfileId, kFirstProfileId + kProfileCount - 1, &MainWindow::SelectProfile),
        // Escape of the dialog manager, the system's close command, and the close that OK posts.
        Entry::CommandId(IDCANCEL, &MainWindow::Close),
        Entry::Timer(&MainWindow::OnTimer),
        Entry::Destroy(&MainWindow::OnDestroy),
        Entry::Raw(WM_SYSCOMMAND, &MainWindow::OnSysCommand),
        Entry::Raw(WM_QUERYENDSESSION, &MainWindow::OnQueryEndSession),
        Entry::Raw(WM_ENDSESSION, &MainWindow::OnEndSession),
        Entry::Raw(DeviceStateRead, &MainWindow::OnDeviceStateRead),
        Entry::Raw(ProfileSwitched, &MainWindow::OnProfileSwitched),
        Entry::Raw(DeviceSettingChanged, &MainWindow::OnDeviceSettingChanged),
        Entry::Raw(ApplyFinished, &MainWindow::OnApplyFinished),
        Entry::Raw(kCreateLaterPagesMessage, &MainWindow::OnCreateLaterPages),
    };

    OptionContext& context_;
    RegionTextButton basicTab_, advancedTab_;
    RegionTextButton ok_, apply_, cancel_;
    RegionTextButton profiles_[5];
    SkinButton import_, export_, minimize_, close_, web_;
    ButtonPage buttonPage_;
    AdvancedPage advancedPage_;
    int shownPage_ = -1;
    bool busy_ = false;
    bool deviceWarningShown_ = false;
    bool libraryWarningShown_ = false;
    bool startChecked_ = false;
    bool measureStart_ = false;
    UINT applyLimitMs_ = kApplyAnswerLimitMs;
    bool painted_ = false;
    double firstPaintMs_ = 0;
    std::string startMarks_;
    RECT pageArea_{};
};
