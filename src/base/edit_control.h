// The edit control: limits its text to a number of lines of a number of characters each
// (a Shift-JIS double-byte character counting once when asked), wraps an over-long line by
// inserting a line break, and refuses an edit that would need more lines by putting back
// the last accepted text and the caret.
#pragma once

#include <cstdint>
#include <string>

#include "base/dialog_controls.h"

// The set-up record of an edit control.
struct EditCtrlDesc {
    int nId = 0;
    std::string* lpString = nullptr;
    int nTextLimit = 0;
    int nLineChars = 0;
    int nLines = 0;
    int bDoubleByte = 0;
    int nReserved[4] = {};

    // A one-line field of `limit` characters.
    void Set(int id, std::string* string, int limit, int doubleByte);
};

// The pure rule of a change: what the control shows after it.
struct EditLimits {
    int nLineChars = 0;
    int nLines = 0;
    bool bDoubleByte = false;
};
struct EditText {
    std::string text;  // CP932, lines separated by CR LF
    int nStart = 0;    // caret (selection) in bytes
    int nEnd = 0;
};
// `changed` is the control's text and caret after the edit; `accepted` the last accepted
// text. `backspaceDown` tells whether Backspace made the change.
EditText ApplyEditChange(const EditLimits& limits, const std::string& accepted, EditText changed,
                         bool backspaceDown, bool initialising);

class cCtrlEdit : public cCtrlBase {
public:
    cCtrlEdit() : cCtrlBase(kCtrlEdit) {}
    void Init(DLG_CLASS* dialog, const EditCtrlDesc& desc);
    void ToControl() override;
    void FromControl() override;
    void OnChange() override;
    // Bytes GetDlgItemText may return (its last one is the terminating zero's).
    int ReadLimit() const;

    std::string* lpString = nullptr;
    int nTextLimit = 0;
    int bDoubleByte = 0;
    int nLineChars = 0;
    int nLines = 0;
    int bInitialising = 0;
    std::string strAccepted;
    int nSavedStart = 0, nSavedEnd = 0;
    int bBusy = 0;
};
