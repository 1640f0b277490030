#pragma once
// Dialogs from an empty template built in memory (no resource), with the same per-class message maps as windows.
//
//   class CWarningDlg : public Dialog {
//   private:
//       bool OnInitDialog();                 // true: the dialog manager sets the focus
//       void OnOk() { End(IDOK); }
//       HBRUSH OnCtlColorDlg(HDC dc, HWND control);
//
//       using Entry = MessageEntry<CWarningDlg>;
//       static constexpr Entry kMessageMap[] = {
//           Entry::InitDialog(&CWarningDlg::OnInitDialog),
//           Entry::CommandId(IDOK, &CWarningDlg::OnOk),
//           Entry::CtlColor(WM_CTLCOLORDLG, &CWarningDlg::OnCtlColorDlg),
//       };
//       bool ProcessMessage(WindowMessage& m) override {
//           return RouteMessage(*this, kMessageMap, m) || Dialog::ProcessMessage(m);
//       }
//   };
//
//   CWarningDlg dlg;
//   INT_PTR result = dlg.RunModal(owner, DialogTemplate::Popup(200, 80, "Warning"));
//
//   // A page: a modeless child dialog inside another dialog, created in the parent's OnInitDialog.
//   page_.CreateModeless(Handle(), DialogTemplate::Child(300, 200));
//
// The object is bound in WM_INITDIALOG; messages before it (WM_SETFONT, WM_NCCREATE) go to the dialog manager. What
// no entry takes, and what a handler passes on with Default(), is done by the dialog manager after the handler.

#include <windows.h>

#include <vector>

#include "framework/window.h"

// A DLGTEMPLATE with no controls. Sizes and positions are in dialog units.
class DialogTemplate {
public:
    // With a font face, DS_SETFONT is added and the face and size go into the template.
    DialogTemplate(DWORD style, DWORD exStyle, short x, short y, short width, short height, const char* title = "",
                   const char* fontFace = nullptr, WORD pointSize = 8);

    // A popup with a caption and a system menu, for modal dialogs.
    static DialogTemplate Popup(short width, short height, const char* title = "");
    // A child page inside another dialog (DS_CONTROL: the parent's Tab key walks into it). Not visible until shown.
    static DialogTemplate Child(short width, short height);

    const DLGTEMPLATE* Get() const noexcept { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    std::vector<WORD> words_; // the template is a sequence of WORDs, DWORD aligned at its start
};

class Dialog : public MessageTarget {
public:
    Dialog() = default;
    // Destroys a modeless dialog without calling its handlers any more (destroy it first when they have work).
    ~Dialog() override;

    // DialogBoxIndirectParamA: returns End's result, or -1 when the dialog could not be created.
    INT_PTR RunModal(HWND owner, const DialogTemplate& dialogTemplate);
    // CreateDialogIndirectParamA: a modeless dialog, normally a child page of another dialog. Null on failure.
    HWND CreateModeless(HWND parent, const DialogTemplate& dialogTemplate);
    // Ends a modal dialog with the result RunModal returns; destroys a modeless one.
    void End(INT_PTR result);
    bool Destroy();

    bool IsModal() const noexcept { return modal_; }

protected:
    LRESULT DefaultProcessing(WindowMessage& m) override;
    // After WM_NCDESTROY: the object is no longer bound and may delete itself here.
    virtual void OnFinalMessage() {}

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    bool modal_ = false;
};
