#include "option/macros/macro_editor.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/key_tables.h"
#include "common/language.h"
#include "common/text.h"
#include "framework/file_dialog.h"
#include "framework/trace.h"
#include "option/macros/insert_delay_dialog.h"
#include "option/macros/macro_files.h"
#include "option/macros/macro_library.h"
#include "option/skin/key_capture_hook.h"
#include "option/skin/number_box.h"
#include "option/skin/skin_picture.h"
#include "option/skin/warning_dialog.h"

namespace {

// "BUTTONPOS" keys of the macro half.
enum Key {
    kNewKey = 10,
    kDeleteKey = 11,
    kSpareKey = 12,
    kMacroListKey = 13,
    kEventListKey = 14,
    kRecordKey = 15,
    kStopKey = 16,
    kRepeatKey = 17,
    kDelaysKey = 19,
    kImportKey = 23,
    kExportKey = 24,
};

// Commands of the steps' right-click menu.
enum Command : UINT {
    kRecordBefore = 1001,
    kRecordAfter = 1002,
    kInsertDelay = 1003,
    kEditPause = 1004,
    kDeleteStep = 1005,
};

// Language strings: the buttons' captions, and the steps' right-click menu.
enum Text {
    kImportText = 112,
    kExportText = 113,
    kRecordText = 211,
    kStopText = 212,
    kDelaysText = 213,
    kNewText = 214,
    kDeleteText = 215,
    kRecordBeforeText = 1063,
    kRecordAfterText = 1064,
    kInsertDelayText = 1065,
    kEditPauseText = 1066,
    kDeleteStepText = 1067,
    kMouseText = 1068,
    kFirstMouseButtonText = 1069, // left, right, middle, back, forward
    kFirstMouseActionText = 1074, // press, release, click
};

constexpr COLORREF kListText = kSkinText;
constexpr COLORREF kListSelection = RGB(18, 72, 158);
constexpr COLORREF kBlack = RGB(0, 0, 0);

void MakeButton(SkinButton& b, ButtonRow& row, const ButtonPos& p, int id, const SkinScreens& s, int text,
                bool toggle) {
    row.Add(b, p.Rect(), id);
    b.ShareFaces(p.Rect(), s.normal, s.over, s.down, s.disable);
    b.SetToggle(toggle);
    if (text > 0) {
        b.SetCaption(Fetch(text));
        b.SetTooltip(Fetch(text), true);
        b.SetCaptionColours(kCaptionPalette);
    }
}

// The platform appends at most three characters of a default extension: "macro" is what "*.macro" means.
constexpr char kMacroExtension[] = "macro";

} // namespace

MacroEditor::MacroEditor(OptionContext& context) : context_(context), tick_([] { return GetTickCount(); }) {}

MacroEditor::~MacroEditor() = default;

void MacroEditor::CreateControls(HWND page, ButtonRow& row, const SkinScreens& s,
                                 const std::function<ButtonPos(int)>& position) {
    page_ = page;
    MakeButton(new_, row, position(kNewKey), kNewId, s, kNewText, false);
    MakeButton(delete_, row, position(kDeleteKey), kDeleteId, s, kDeleteText, false);
    MakeButton(spare_, row, position(kSpareKey), kSpareId, s, 0, false);
    MakeButton(record_, row, position(kRecordKey), kRecordId, s, kRecordText, true);
    MakeButton(stop_, row, position(kStopKey), kStopId, s, kStopText, false);
    repeat_.Create(page, position(kRepeatKey).Rect(), kRepeatBoxId, ES_NUMBER | ES_CENTER);
    repeat_.SetColours(kBlack, kSkinText);
    SendMessageA(repeat_.Handle(), EM_LIMITTEXT, 3, 0);
    macroList_.Create(page, kMacroListId, position(kMacroListKey).Rect());
    macroList_.SetColours(kListText, kListText, kBlack, kListSelection);
    eventList_.Create(page, kEventListId, position(kEventListKey).Rect());
    eventList_.SetColours(kListText, kBlack, kBlack, kListSelection);
    MakeButton(delays_, row, position(kDelaysKey), kDelaysId, s, kDelaysText, true);
    delays_.SetPlacement(CaptionPlacement::BesideBox);
    delays_.SetCaptionColours(kCheckCaptionPalette);
    MakeButton(import_, row, position(kImportKey), kImportId, s, kImportText, false);
    MakeButton(export_, row, position(kExportKey), kExportId, s, kExportText, false);
    menuFont_ = CreateSkinFont(15, 6);
}

MacroRecord* MacroEditor::Current() const {
    return MacroAt(context_.macros, shown_);
}

bool MacroEditor::NeedMacro() {
    if (Current()) {
        return true;
    }
    ShowWarning(context_.mainWindow ? context_.mainWindow : page_, WarningVariant::NoMacro);
    return false;
}

void MacroEditor::FillMacroList() {
    if (!macroList_.Handle()) {
        return;
    }
    EndRecording();
    EndEdits();
    ShowReadOnly();
    macroList_.Clear();
    for (const auto& record : context_.macros) {
        macroList_.AddLine(MacroNameOf(*record), 0);
    }
    shown_ = -1;
    if (!context_.macros.empty()) {
        macroList_.Select(0);
    }
    ShowMacro(context_.macros.empty() ? -1 : 0);
}

void MacroEditor::ShowReadOnly() {
    const bool enabled = !ReadOnly();
    for (SkinButton* b : {&new_, &delete_, &record_, &stop_, &import_}) {
        b->Enable(enabled);
    }
    SendMessageA(repeat_.Handle(), EM_SETREADONLY, enabled ? FALSE : TRUE, 0);
}

void MacroEditor::ShowMacro(int index) {
    EndEdits();
    shown_ = index;
    int repeat = 1;
    if (MacroRecord* r = Current()) {
        events_ = MacroEvents::Of(*r);
        repeat = r->RepeatCount;
    } else {
        shown_ = -1;
        events_ = MacroEvents{};
    }
    lineToShow_ = events_.count - 1;
    RefreshEvents();
    char text[16];
    std::snprintf(text, sizeof text, "%d", repeat < 1 ? 1 : repeat);
    repeatShown_ = text;
    if (repeat_.Handle()) {
        SetWindowTextA(repeat_.Handle(), text);
    }
}

void MacroEditor::EndEdits() {
    MSG message{};
    while (page_ && PeekMessageA(&message, page_, EditDone, EditDone, PM_REMOVE)) {
        OnEditDone(static_cast<int>(message.wParam), static_cast<int>(message.lParam));
    }
    if (eventList_.Editing()) {
        int line = eventList_.FinishEdit();
        if (line >= 0) {
            OnEditDone(line, kEventListId);
        }
        editedEvent_ = -1;
        editedMacro_ = nullptr;
    }
    if (macroList_.Editing()) {
        int line = macroList_.FinishEdit();
        if (line >= 0) {
            OnEditDone(line, kMacroListId);
        }
    }
    if (repeat_.Handle() && RepeatText() != repeatShown_) {
        OnRepeatBoxDone();
    }
}

void MacroEditor::EndRecording() {
    if (recorder_.Recording()) {
        Stop();
    }
}

void MacroEditor::RefreshEvents() {
    if (!eventList_.Handle()) {
        return;
    }
    EndEdits();
    std::vector<EventLine> lines = EventLines(events_);
    SendMessageA(eventList_.Handle(), WM_SETREDRAW, FALSE, 0);
    eventList_.Clear();
    for (const EventLine& line : lines) {
        eventList_.AddLine(line.text, line.itemData);
    }
    int n = static_cast<int>(lines.size());
    int k = lineToShow_ >= 0 ? LineOfEvent(lines, lineToShow_) : n - 1;
    int caret = CaretLineFor(k, n);
    if (caret >= 0) {
        SendMessageA(eventList_.Handle(), LB_SETCARETINDEX, static_cast<WPARAM>(caret), FALSE);
        eventList_.Select(std::clamp(k, 0, n - 1));
    }
    SendMessageA(eventList_.Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(eventList_.Handle(), nullptr, TRUE);
}

void MacroEditor::CommitEvents() {
    if (MacroRecord* r = Current()) {
        events_.CopyInto(*r);
        SyncMacroEntries(context_.working, context_.macros);
    }
}

void MacroEditor::AfterLibraryChange() {
    SyncMacroEntries(context_.working, context_.macros);
    if (context_.shell) {
        context_.shell->RefreshButtonPage();
    }
}

void MacroEditor::SetRecordingControls(bool recording) {
    for (SkinButton* b : {&new_, &delete_, &spare_}) {
        b->Enable(!recording);
    }
    EnableWindow(macroList_.Handle(), recording ? FALSE : TRUE);
    EnableWindow(eventList_.Handle(), recording ? FALSE : TRUE);
}

void MacroEditor::Record() {
    if (ReadOnly()) {
        record_.SetChecked(false);
        return;
    }
    if (!NeedMacro()) {
        record_.SetChecked(false);
        return;
    }
    record_.SetChecked(true);
    if (recorder_.Recording()) {
        return;
    }
    EndEdits();
    events_ = MacroEvents{};
    eventList_.Clear();
    recorder_.insertPosition = -1;
    StartRecording();
}

void MacroEditor::StartRecording() {
    if (ReadOnly()) {
        return;
    }
    recorder_.recordDelays = delays_.Checked();
    recorder_.Start();
    record_.SetChecked(true);
    if (!capture_.Start(page_)) {
        Trace("Option: the key capture could not be installed\n");
    }
    SetRecordingControls(true);
    SetFocus(page_);
}

void MacroEditor::StopRecording() {
    recorder_.Stop();
    record_.SetChecked(false);
    capture_.Stop();
    SetRecordingControls(false);
    if (MacroRecord* r = Current()) {
        events_.CopyInto(*r);
    }
    AfterLibraryChange();
}

void MacroEditor::Stop() {
    // Stop while idle: the same steps; nothing was recorded, so the macro stays as it was.
    bool wasRecording = recorder_.Recording();
    StopRecording();
    if (!wasRecording) {
        return;
    }
    lineToShow_ = events_.count - 1;
    RefreshEvents();
}

void MacroEditor::OnKeyCaptured(int virtualKey, bool released) {
    if (!recorder_.Recording()) {
        return;
    }
    if (!recorder_.OnKey(events_, virtualKey, released, tick_())) {
        return;
    }
    lineToShow_ = recorder_.LastInserted();
    if (!recorder_.Recording()) {
        StopRecording(); // the fiftieth event
    }
    RefreshEvents();
}

void MacroEditor::NewMacro() {
    if (macroList_.Editing() || ReadOnly()) {
        return;
    }
    EndEdits();
    macroList_.BeginAddItem();
}

void MacroEditor::SelectAfterRemoval() {
    int count = macroList_.Count();
    int index = count == 0 ? -1 : std::min(shown_ < 0 ? 0 : shown_, count - 1);
    if (index >= 0) {
        macroList_.Select(index);
    }
    ShowMacro(index);
}

void MacroEditor::DeleteMacro() {
    // Delete is about the selected macro: a new name still being typed is dropped, as Esc drops it.
    macroList_.CancelEdit();
    EndEdits();
    int line = macroList_.Selected();
    if (line < 0 || ReadOnly()) {
        return;
    }
    if (ShowWarning(context_.mainWindow ? context_.mainWindow : page_, WarningVariant::DeleteMacro) != IDOK) {
        return;
    }
    macroList_.DeleteLine(line);
    RemoveMacroAt(context_.macros, line);
    shown_ = line;
    SelectAfterRemoval();
    AfterLibraryChange();
}

void MacroEditor::OnEditDone(int line, int listId) {
    if (listId == kMacroListId) {
        std::string text = macroList_.Text(line);
        std::string trimmed{TrimBlanks(text, kBlanks)};
        bool clash = false;
        for (int i = 0; i < macroList_.Count(); ++i) {
            if (i != line && SameNameIgnoringCase(TrimBlanks(macroList_.Text(i), kBlanks), trimmed)) {
                clash = true;
            }
        }
        if (trimmed.empty() || clash || MacroNameExists(context_.macros, trimmed) || ReadOnly()) {
            macroList_.DeleteLine(line);
            shown_ = macroList_.Count() == 0 ? -1 : std::min(shown_, macroList_.Count() - 1);
            if (shown_ >= 0) {
                macroList_.Select(shown_);
            }
            ShowMacro(shown_);
            return;
        }
        context_.macros.push_back(NewMacroRecord(text));
        int index = static_cast<int>(context_.macros.size()) - 1;
        macroList_.Select(index);
        ShowMacro(index);
        return;
    }
    if (listId != kEventListId) {
        return;
    }
    int event = editedEvent_;
    MacroRecord* owner = editedMacro_;
    editedEvent_ = -1;
    editedMacro_ = nullptr;
    // Only into the event whose pause line was edited, of the macro it belongs to.
    EventLine edited{eventList_.Text(line), eventList_.ItemData(line)};
    if (event >= 0 && event < events_.count && owner == Current() && edited.IsPause() && edited.Event() == event) {
        std::string text = edited.text;
        int value = PauseFromText(text);
        if (LeadingNumber(text) != value) {
            int data = eventList_.ItemData(line);
            eventList_.DeleteLine(line);
            std::string shown = DelayLineText(value);
            SendMessageA(eventList_.Handle(), LB_INSERTSTRING, static_cast<WPARAM>(line),
                         reinterpret_cast<LPARAM>(shown.c_str()));
            SendMessageA(eventList_.Handle(), LB_SETITEMDATA, static_cast<WPARAM>(line), data);
        }
        events_.events[event].Delay = static_cast<uint16_t>(value);
        CommitEvents();
    }
}

std::string MacroEditor::RepeatText() const {
    char text[16] = {};
    GetWindowTextA(repeat_.Handle(), text, sizeof text);
    return text;
}

void MacroEditor::OnRepeatBoxDone() {
    std::string text = RepeatText();
    // A focus loss of the box as the program filled it: showing a count is not editing it.
    if (text == repeatShown_) {
        return;
    }
    int value = RepeatCountFromText(text);
    char shown[16];
    std::snprintf(shown, sizeof shown, "%d", value);
    repeatShown_ = shown;
    if (text != shown) {
        SetWindowTextA(repeat_.Handle(), shown);
    }
    if (MacroRecord* r = ReadOnly() ? nullptr : Current()) {
        if (r->RepeatCount != value) {
            r->RepeatCount = value;
            SyncMacroEntries(context_.working, context_.macros);
        }
    }
}

void MacroEditor::OnListRightClick(int listId) {
    if (listId != kEventListId || recorder_.Recording() || ReadOnly()) {
        return;
    }
    SkinMenu menu(menuFont_.get());
    SkinMenu mouse(menuFont_.get());
    std::unique_ptr<SkinMenu> buttons[kMouseButtonCount];
    menu.SetMinimumWidth(120);
    mouse.SetMinimumWidth(80);
    menu.AppendItem(kRecordBefore, Fetch(kRecordBeforeText));
    menu.AppendItem(kRecordAfter, Fetch(kRecordAfterText));
    menu.AppendItem(kInsertDelay, Fetch(kInsertDelayText));
    for (int b = 0; b < kMouseButtonCount; ++b) {
        buttons[b] = std::make_unique<SkinMenu>(menuFont_.get());
        buttons[b]->SetMinimumWidth(40);
        for (MouseAction action : {MouseAction::Press, MouseAction::Release, MouseAction::Click}) {
            buttons[b]->AppendItem(MouseCommand(b, action), Fetch(kFirstMouseActionText + static_cast<int>(action)));
        }
        mouse.AppendSubmenu(*buttons[b], Fetch(kFirstMouseButtonText + b));
    }
    menu.AppendSubmenu(mouse, Fetch(kMouseText));
    menu.AppendItem(kEditPause, Fetch(kEditPauseText));
    menu.AppendItem(kDeleteStep, Fetch(kDeleteStepText));
    POINT at{};
    GetCursorPos(&at);
    UINT command = menu.Track(page_, at.x, at.y);
    if (command != 0) {
        RunMenuCommand(command);
    }
}

void MacroEditor::RunMenuCommand(UINT command) {
    if (command < kRecordBefore || command > static_cast<UINT>(kLastMouseCommand) || ReadOnly() || !NeedMacro()) {
        return;
    }
    EndEdits();
    int line = eventList_.Selected();
    int data = line >= 0 ? eventList_.ItemData(line) : 0;
    EventLine selected{line >= 0 ? eventList_.Text(line) : std::string(), data};
    int event = line >= 0 ? selected.Event() : -1;
    switch (command) {
    case kRecordBefore:
    case kRecordAfter:
        RecordAtStep(command, line, event);
        return;
    case kInsertDelay:
        InsertDelayAfter(line, selected);
        return;
    case kEditPause:
        EditPause(line, selected, event);
        return;
    case kDeleteStep:
        DeleteStep(line, selected, event);
        return;
    default:
        InsertMouseStep(command, event);
        return;
    }
}

void MacroEditor::RecordAtStep(UINT command, int line, int event) {
    recorder_.insertPosition = line < 0 ? -1 : command == kRecordBefore ? event : event + 1;
    StartRecording();
}

void MacroEditor::InsertDelayAfter(int line, const EventLine& selected) {
    int target = -1;
    if (line < 0 || !InsertDelayTarget(events_, selected, target)) {
        return;
    }
    MacroRecord* owner = Current();
    InsertDelayDialog dialog;
    if (dialog.Show(context_.mainWindow ? context_.mainWindow : page_) != IDOK) {
        return;
    }
    // The pages may have been refreshed while the dialog was open: the pause goes to its own macro or nowhere.
    if (Current() != owner || target >= events_.count) {
        Trace("Option: the pause for a macro no longer shown was dropped\n");
        return;
    }
    events_.events[target].Delay = static_cast<uint16_t>(dialog.Value());
    lineToShow_ = target;
    RefreshEvents();
    CommitEvents();
}

void MacroEditor::EditPause(int line, const EventLine& selected, int event) {
    if (line >= 0 && selected.IsPause()) {
        editedEvent_ = event;
        editedMacro_ = Current();
        eventList_.BeginEditItem();
    }
}

void MacroEditor::DeleteStep(int line, const EventLine& selected, int event) {
    if (line < 0 || event < 0 || event >= events_.count) {
        return;
    }
    if (selected.IsPause()) {
        events_.events[event].Delay = 0;
    } else {
        RemoveEvent(events_, event);
    }
    lineToShow_ = event;
    CommitEvents();
    RefreshEvents();
}

void MacroEditor::InsertMouseStep(UINT command, int event) {
    if (InsertMouseCommand(events_, static_cast<int>(command), event)) {
        lineToShow_ = event < 0 ? events_.count - 1 : event;
        RefreshEvents();
        CommitEvents();
    }
}

bool MacroEditor::ImportMacroFrom(const std::string& path) {
    EndEdits();
    if (ReadOnly() || !::ImportMacro(context_.macros, path)) {
        return false;
    }
    int index = static_cast<int>(context_.macros.size()) - 1;
    macroList_.AddLine(MacroNameOf(*context_.macros.back()), 0);
    SendMessageA(macroList_.Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    macroList_.Select(index);
    ShowMacro(index);
    return true;
}

bool MacroEditor::ExportMacroTo(const std::string& path) {
    MacroRecord* r = Current();
    return r && ::ExportMacro(path, *r);
}

void MacroEditor::ImportMacro() {
    EndRecording();
    std::string path =
        ChooseFileToOpen(context_.mainWindow ? context_.mainWindow : page_, context_.programFolder + "config\\.macro",
                         "Macro(*.macro)|*.MACRO|", kMacroExtension);
    if (!path.empty()) {
        ImportMacroFrom(path);
    }
}

void MacroEditor::ExportMacro() {
    EndRecording();
    // Without a macro there is nothing to write: refused before the file dialog, so no chosen file is touched.
    if (!NeedMacro()) {
        return;
    }
    std::string path =
        ChooseFileToSave(context_.mainWindow ? context_.mainWindow : page_, context_.programFolder + "config\\.macro",
                         "Macro(*.macro)|*.macro|", kMacroExtension);
    if (!path.empty()) {
        ExportMacroTo(path);
    }
}

void MacroEditor::OnDelays() {
    recorder_.recordDelays = delays_.Checked();
}

void MacroEditor::OnControlCommand(int id, int code, HWND) {
    if (id == kMacroListId && code == LBN_SELCHANGE && !recorder_.Recording()) {
        ShowMacro(macroList_.Selected());
    }
}
