#pragma once
// The macro half of the advanced page: the library's names, the shown macro's steps, its repeat count, a new or
// deleted macro, the recorder, the steps' right-click menu, and import and export of single macros. Every change is
// written into the shown macro at once and spread to the button entries that use it; recording writes when it stops.
// The page creates the controls in its skin and forwards their messages here.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "option/app/option_context.h"
#include "option/macros/editable_list.h"
#include "option/macros/macro_editing.h"
#include "option/skin/bitmap_edit.h"
#include "option/skin/button_pos.h"
#include "option/skin/button_row.h"
#include "option/skin/key_capture_hook.h"
#include "option/skin/skin_button.h"
#include "option/skin/skin_menu.h"
#include "option/skin/skinned_dialog.h"

class MacroEditor {
public:
    explicit MacroEditor(OptionContext& context);
    ~MacroEditor();

    static constexpr int kMacroListId = 4096;
    static constexpr int kEventListId = 4097;
    static constexpr int kRepeatBoxId = 4010;

    // In the page's creation, in its order; `position` reads the page's "BUTTONPOS". Its buttons have no windows:
    // they go into the page's row of buttons and draw their faces straight from the screen images, which the page
    // keeps (SkinnedDialog::KeepScreens).
    void CreateControls(HWND page, ButtonRow& row, const SkinScreens& screens,
                        const std::function<ButtonPos(int)>& position);
    // Every refresh of the page, the first right after it is built: the list stays empty until then.
    void FillMacroList();
    void ShowMacro(int index);
    void RefreshEvents();
    void CommitEvents();

    // What the page forwards: its WM_COMMAND messages that are not its own. True when the message was the editor's.
    bool OnMessage(WindowMessage& m) { return RouteMessage(*this, kMessageMap, m); }
    void OnKeyCaptured(int virtualKey, bool released);
    void OnListRightClick(int listId);
    // Runs a command of the right-click menu on the selected step (tests call it directly).
    void RunMenuCommand(UINT command);
    void OnEditDone(int line, int listId);
    void OnRepeatBoxDone();

    void Record();
    void StartRecording();
    void StopRecording();
    void Stop();
    // Stops a recording (keeping what it recorded) before something would leave it behind: a page switch, a dialog,
    // a refill of the lists.
    void EndRecording();
    // Ends the in-place edits and the repeat count being typed before the lists change under them: a pause is
    // committed to the event of the macro it belongs to, a new name and a repeat count to the library, as when the
    // lists take the focus back; a commit still on its way is handled now, while its line is the one it names.
    void EndEdits();
    void NewMacro();
    void DeleteMacro();
    void ImportMacro();
    void ExportMacro();
    bool ImportMacroFrom(const std::string& path);
    bool ExportMacroTo(const std::string& path);

    // The tick the recorder measures pauses with (tests give their own).
    void SetTick(std::function<uint32_t()> tick) { tick_ = std::move(tick); }

    int ShownIndex() const { return shown_; }
    const MacroEvents& Events() const { return events_; }
    bool Recording() const { return recorder_.Recording(); }
    MacroRecorder& Recorder() { return recorder_; }
    EditableList& MacroList() { return macroList_; }
    EditableList& EventList() { return eventList_; }
    BitmapEdit& RepeatBox() { return repeat_; }
    SkinButton& NewButton() { return new_; }
    SkinButton& DeleteButton() { return delete_; }
    SkinButton& RecordButton() { return record_; }
    SkinButton& StopButton() { return stop_; }
    SkinButton& DelaysBox() { return delays_; }
    SkinButton& ImportButton() { return import_; }
    SkinButton& ExportButton() { return export_; }

    // True while the library's file could not be read whole at the start: the library must stay as loaded, so new,
    // record, import, delete, the repeat count and the steps' menu are refused (export still works).
    bool ReadOnly() const { return !context_.MacrosWritable(); }

private:
    MacroRecord* Current() const;
    void ShowReadOnly();
    // Warning D when no macro is shown; true when there is one.
    bool NeedMacro();
    void AfterLibraryChange();
    void SelectAfterRemoval();
    void SetRecordingControls(bool recording);
    std::string RepeatText() const;
    void OnDelays();
    // The lists' and the repeat box's notifications: a new selection of the macro list shows its macro.
    void OnControlCommand(int id, int code, HWND control);
    // A menu command of the steps in its own function.
    void RecordAtStep(UINT command, int line, int event);
    void InsertDelayAfter(int line, const EventLine& selected);
    void EditPause(int line, const EventLine& selected, int event);
    void DeleteStep(int line, const EventLine& selected, int event);
    void InsertMouseStep(UINT command, int event);

    // The ids of the editor's buttons on the page (the page's own controls use others).
    static constexpr int kNewId = 1101, kDeleteId = 1102, kSpareId = 1103, kRecordId = 1104, kStopId = 1105,
                         kDelaysId = 1106, kImportId = 1107, kExportId = 1108;
    using Entry = MessageEntry<MacroEditor>;
    static constexpr Entry kMessageMap[] = {
        Entry::Clicked(kNewId, &MacroEditor::NewMacro),       Entry::Clicked(kDeleteId, &MacroEditor::DeleteMacro),
        Entry::Clicked(kRecordId, &MacroEditor::Record),      Entry::Clicked(kStopId, &MacroEditor::Stop),
        Entry::Clicked(kImportId, &MacroEditor::ImportMacro), Entry::Clicked(kExportId, &MacroEditor::ExportMacro),
        Entry::Clicked(kDelaysId, &MacroEditor::OnDelays),    Entry::Command(&MacroEditor::OnControlCommand),
    };

    OptionContext& context_;
    HWND page_ = nullptr;
    EditableList macroList_, eventList_;
    BitmapEdit repeat_;
    SkinButton new_, delete_, spare_, record_, stop_, delays_, import_, export_;
    GdiFont menuFont_;
    MacroEvents events_;
    MacroRecorder recorder_;
    KeyCaptureOwner capture_; // while recording
    int shown_ = -1;
    int lineToShow_ = -1; // event whose line comes into view at the next refresh
    int editedEvent_ = -1;
    MacroRecord* editedMacro_ = nullptr; // the macro of the edited event
    std::string repeatShown_;            // what the repeat-count box showed last
    std::function<uint32_t()> tick_;
};
