// Modal dialog boxes from a template of controls. A dialog is a window of the calling thread
// whose procedure receives WM_INITDIALOG, WM_COMMAND (BN_CLICKED, EN_UPDATE), WM_CLOSE and
// WM_DESTROY, as a dialog procedure does on Windows. Its face is a real window (GTK) when a
// display exists, the in-memory model when headless.
//
// Headless, nobody presses anything: the script's next `dialog` line of the dialog's kind
// answers it (`dialog KIND ACTION [NAME=VALUE ...]`): the values are set first, as a person
// would set them, then ACTION presses the button of that name (or `close`, the close box).
// An answer of another kind stays queued; without an answer the default button is pressed.
// Under a display, a fitting answer drives the real widgets the same way. Every dialog shown
// is recorded in the script's log.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "platform/rect.h"

namespace plat {

constexpr std::uint32_t WM_INITDIALOG = 0x0110;
// Notification codes in WM_COMMAND's high word.
constexpr std::uint32_t BN_CLICKED = 0;
constexpr std::uint32_t EN_KILLFOCUS = 0x0200;
constexpr std::uint32_t EN_UPDATE = 0x0400;
constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;

inline WPARAM MAKEWPARAM(std::uint32_t low, std::uint32_t high) {
    return static_cast<WPARAM>((high & 0xFFFF) << 16 | (low & 0xFFFF));
}
inline std::uint32_t LOWORD(std::uintptr_t v) {
    return static_cast<std::uint32_t>(v & 0xFFFF);
}
inline std::uint32_t HIWORD(std::uintptr_t v) {
    return static_cast<std::uint32_t>((v >> 16) & 0xFFFF);
}

enum class DlgItemKind { Button, DefButton, GroupBox, Radio, CheckBox, Text, Bitmap, Edit };

struct DlgItem {
    int id = 0;
    DlgItemKind kind = DlgItemKind::Text;
    std::string text;                  // CP932
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    // The script's words for it: a button's ACTION, or the NAME (and, for a radio button,
    // the VALUE) of a control that an answer sets.
    std::string answerName;
    std::string answerValue;
};

struct DlgTemplate {
    std::string answerKind;  // the script's KIND
    int cx = 0, cy = 0;      // client size in dialog units
    std::vector<DlgItem> items;
};

using DLGPROC = LRESULT (*)(HWND, std::uint32_t, WPARAM, LPARAM);

// Runs the dialog modally on the calling thread and returns the value given to EndDialog;
// -1 when no dialog can be made. Without a display (not headless) nothing is shown: the
// answer is 0 (Cancel) and a line goes to stderr.
LRESULT DialogBox(const DlgTemplate& dialog, HWND owner, DLGPROC proc);
bool EndDialog(HWND dlg, LRESULT result);
bool IsDialog(HWND hwnd);

// Dialog units in pixels: the dialog font's base units (horizontal per 4 units, vertical
// per 8).
int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);

// Controls, by dialog and id. Texts are CP932; positions inside edit texts are bytes.
bool HasDlgItem(HWND dlg, int id);
bool SetDialogTitle(HWND dlg, const char* title);
std::string GetDialogTitle(HWND dlg);
bool SetDlgItemText(HWND dlg, int id, const char* text);
// The text cut to maxBytes − 1 bytes on a character boundary (the space of GetDlgItemTextA's
// terminating zero). *representable is false when the control holds a character CP932 lacks.
std::string GetDlgItemText(HWND dlg, int id, std::size_t maxBytes, bool* representable = nullptr);
bool CheckDlgButton(HWND dlg, int id, int state);
int IsDlgButtonChecked(HWND dlg, int id);
bool GetEditSel(HWND dlg, int id, int* start, int* end);
bool SetEditSel(HWND dlg, int id, int start, int end);
bool EnableDlgItem(HWND dlg, int id, bool enable);
// The control's rectangle on the screen.
bool GetDlgItemRect(HWND dlg, int id, RECT* rect);
// Whether Backspace is held in the dialog right now (the edit control's line-join rule).
bool IsDialogBackspaceDown(HWND dlg);

// Tests: the dialogs shown in this process.
struct DialogRecord {
    std::string kind;
    std::string title;   // CP932
    std::string answer;  // the action taken: a button's name, "close" or "default ..."
    LRESULT result = 0;
    std::vector<int> initialChecked;   // the buttons checked when it had initialised
    std::map<int, std::string> texts;  // every control's text at the end, CP932
    RECT window;                       // where it stood
};
std::vector<DialogRecord> ShownDialogs();
void ClearShownDialogs();

// Tests of the in-memory face: types `text` (UTF-8) at the caret of an edit control of the
// open dialog, as a person would (the control then reports EN_UPDATE), or presses Backspace.
bool TypeIntoDlgItem(HWND dlg, int id, const std::string& utf8);
bool BackspaceInDlgItem(HWND dlg, int id);

}  // namespace plat
