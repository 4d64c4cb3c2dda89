#include "base/edit_control.h"

#include <algorithm>

#include "base/dialog_base.h"
#include "base/sjis.h"
#include "platform/dialog.h"

namespace {

int Count(const std::string& text, bool doubleByte) {
    return doubleByte ? CountSjisChars(text) : static_cast<int>(text.size());
}

int LineCount(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
}

// Removes bytes from the end while the text counts more than `chars`, at most `chars`
// removals (twice as many for double-byte text). A lone lead byte left by a removed trail
// byte still counts as a character, so the cut falls between characters.
std::size_t CutPoint(const std::string& line, int chars, bool doubleByte) {
    std::size_t cut = line.size();
    const int maxRemovals = doubleByte ? 2 * chars : chars;
    for (int removed = 0;
         removed < maxRemovals && cut > 0 && Count(line.substr(0, cut), doubleByte) > chars;
         ++removed)
        --cut;
    return cut;
}

}  // namespace

void EditCtrlDesc::Set(int id, std::string* string, int limit, int doubleByte) {
    nId = id;
    lpString = string;
    nTextLimit = limit + 1;
    nLineChars = doubleByte ? limit : 0;
    nLines = 1;
    bDoubleByte = doubleByte;
}

EditText ApplyEditChange(const EditLimits& limits, const std::string& accepted, EditText changed,
                         bool backspaceDown, bool initialising) {
    EditText out = changed;
    const int savedStart = changed.nStart, savedEnd = changed.nEnd;
    if (limits.nLines <= 0 && limits.nLineChars <= 0) return out;
    const bool dbcs = limits.bDoubleByte;

    // Backspace at the start of a line joins it to the line above, unless that one is full.
    if (backspaceDown && out.nStart == out.nEnd && accepted.size() == out.text.size() + 2 &&
        LineCount(out.text) < LineCount(accepted)) {
        std::string before =
            accepted.substr(0, std::min<std::size_t>(accepted.size(), std::max(0, out.nStart)));
        const std::size_t cr = before.rfind('\r');
        if (cr != std::string::npos) before = before.substr(cr);
        if (Count(before, dbcs) >= limits.nLineChars) {
            out.text = accepted;
            return out;
        }
    }

    if (limits.nLines > 0) {
        std::size_t pos = 0;
        for (int walked = 0; walked < limits.nLines; ++walked) {
            const std::size_t cr = out.text.find('\r', pos);
            const std::size_t lineEnd = cr == std::string::npos ? out.text.size() : cr;
            const std::string line = out.text.substr(pos, lineEnd - pos);
            if (Count(line, dbcs) > limits.nLineChars) {
                const std::size_t cut = pos + CutPoint(line, limits.nLineChars, dbcs);
                out.text.insert(cut, "\r\n");
                if (out.nStart >= static_cast<int>(cut)) out.nStart += 2;
                if (out.nEnd >= static_cast<int>(cut)) out.nEnd += 2;
                // The overflow joins the line that followed.
                const std::size_t after = lineEnd + 2;
                if (after < out.text.size() && out.text[after] == '\r')
                    out.text.erase(after, std::min<std::size_t>(2, out.text.size() - after));
                pos = cut + 2;
                continue;
            }
            if (cr == std::string::npos) break;
            pos = cr + 2;
            if (pos > out.text.size()) break;
        }
    }

    if (!out.text.empty() && LineCount(out.text) > limits.nLines) {
        if (initialising) {
            std::string value = accepted;
            value.resize(CutPoint(value, limits.nLineChars, dbcs));
            out.text = value;
            return out;
        }
        out.text = accepted;
        out.nStart = savedStart;
        out.nEnd = savedEnd;
    }

    const int size = static_cast<int>(out.text.size());
    if (out.nStart >= 0 && out.nStart < size && out.text[out.nStart] == '\n') ++out.nStart;
    if (out.nEnd >= 0 && out.nEnd < size && out.text[out.nEnd] == '\n') ++out.nEnd;
    out.nStart = std::clamp(out.nStart, 0, size);
    out.nEnd = std::clamp(out.nEnd, 0, size);
    return out;
}

void cCtrlEdit::Init(DLG_CLASS* dialog, const EditCtrlDesc& desc) {
    Attach(dialog, desc.nId);
    lpString = desc.lpString;
    nTextLimit = desc.nTextLimit != 0 ? desc.nTextLimit : 4096;
    nLineChars = desc.nLineChars != 0 ? desc.nLineChars : 1024;
    nLines = desc.nLines != 0 ? desc.nLines : 32;
    bDoubleByte = desc.bDoubleByte;
    const std::string value = lpString ? *lpString : std::string();
    plat::SetDlgItemText(hWndDlg, nId, value.c_str());
    strAccepted = value;
    bInitialising = 1;
    OnChange();
    bInitialising = 0;
}

int cCtrlEdit::ReadLimit() const {
    return bDoubleByte ? 2 * nTextLimit - 1 : nTextLimit;
}

void cCtrlEdit::ToControl() {
    if (lpString) plat::SetDlgItemText(hWndDlg, nId, lpString->c_str());
}

void cCtrlEdit::FromControl() {
    if (lpString)
        *lpString =
            plat::GetDlgItemText(hWndDlg, nId, static_cast<std::size_t>(std::max(0, ReadLimit())));
}

void cCtrlEdit::OnChange() {
    if (bBusy) return;
    bBusy = 1;
    bool representable = true;
    EditText changed;
    changed.text = plat::GetDlgItemText(
        hWndDlg, nId, static_cast<std::size_t>(std::max(0, ReadLimit())), &representable);
    plat::GetEditSel(hWndDlg, nId, &changed.nStart, &changed.nEnd);
    nSavedStart = changed.nStart;
    nSavedEnd = changed.nEnd;
    EditText shown;
    if (!representable) {
        // A character the game's text cannot hold is refused like an edit beyond the limits.
        shown.text = strAccepted;
        shown.nStart = std::clamp(changed.nStart, 0, static_cast<int>(strAccepted.size()));
        shown.nEnd = std::clamp(changed.nEnd, 0, static_cast<int>(strAccepted.size()));
    } else {
        shown = ApplyEditChange(EditLimits{nLineChars, nLines, bDoubleByte != 0}, strAccepted,
                                changed, plat::IsDialogBackspaceDown(hWndDlg), bInitialising != 0);
    }
    plat::SetDlgItemText(hWndDlg, nId, shown.text.c_str());
    if (!bInitialising) plat::SetEditSel(hWndDlg, nId, shown.nStart, shown.nEnd);
    strAccepted = shown.text;
    bBusy = 0;
}
