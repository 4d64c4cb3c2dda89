// The modal dialog runner over the face seam, and the script's answers to dialogs.
#include "platform/dialog.h"

#include <cstdio>
#include <map>
#include <memory>
#include <mutex>

#include "platform/cp932.h"
#include "platform/desktop.h"
#include "platform/dialog_face.h"
#include "platform/gtk_ui.h"
#include "platform/modal_scope.h"
#include "platform/script_state.h"
#include "platform/seams.h"

namespace plat {
namespace {

// The headless dialog font's base units, in pixels: IPAPGothic at 9 points averages 6 pixels
// a character and stands 12 high, which makes a dialog unit 1.5 pixels each way.
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 12;

struct OpenDialog {
    DlgTemplate dialog;
    DLGPROC proc = nullptr;
    std::unique_ptr<DialogFace> face;
    bool ended = false;
    LRESULT result = 0;
    std::vector<int> initialChecked;
};

std::mutex g_recordsMutex;
std::vector<DialogRecord> g_records;

// Dialogs belong to the thread that runs them; the map is only read on that thread, but
// dialogs of several threads (tests) may exist at once.
std::mutex g_openMutex;
std::map<HWND, std::shared_ptr<OpenDialog>> g_open;

std::shared_ptr<OpenDialog> Find(HWND dlg) {
    std::lock_guard lock(g_openMutex);
    auto it = g_open.find(dlg);
    return it == g_open.end() ? nullptr : it->second;
}

LRESULT DialogWindowProc(HWND hwnd, std::uint32_t msg, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<OpenDialog> open = Find(hwnd);
    return open && open->proc ? open->proc(hwnd, msg, wParam, lParam) : 0;
}

const DlgItem* FindItem(const DlgTemplate& dialog, int id) {
    for (const DlgItem& item : dialog.items)
        if (item.id == id) return &item;
    return nullptr;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
        std::size_t end = pos;
        while (end < text.size() && text[end] != ' ' && text[end] != '\t') ++end;
        if (end > pos) words.emplace_back(text.substr(pos, end - pos));
        pos = end;
    }
    return words;
}

const DlgItem* DefaultButton(const DlgTemplate& dialog) {
    for (const DlgItem& item : dialog.items)
        if (item.kind == DlgItemKind::DefButton) return &item;
    return nullptr;
}

// Sets the values of an answer (NAME=VALUE words) as a person would; returns notes on the
// words that name nothing, for the log.
std::string ApplyValues(OpenDialog& open, const std::vector<std::string>& words) {
    std::string notes;
    for (std::size_t i = 2; i < words.size(); ++i) {
        const std::string& word = words[i];
        const std::size_t eq = word.find('=');
        const std::string name = word.substr(0, eq);
        const std::string value = eq == std::string::npos ? std::string() : word.substr(eq + 1);
        bool used = false;
        for (const DlgItem& item : open.dialog.items) {
            if (item.answerName.empty() || !EqualsNoCase(item.answerName, name)) continue;
            if (item.kind == DlgItemKind::Radio) {
                if (!EqualsNoCase(item.answerValue, value)) continue;
                if (!open.face->Checked(item.id)) open.face->Click(item.id);
            } else if (item.kind == DlgItemKind::CheckBox) {
                if (open.face->Checked(item.id) != (value != "0")) open.face->Click(item.id);
            } else if (item.kind == DlgItemKind::Edit) {
                int start = 0, end = 0;
                // The whole text is replaced, as after select-all and typing.
                open.face->SetSelection(item.id, 0, -1);
                open.face->Selection(item.id, &start, &end);
                open.face->Type(item.id, value);
            } else {
                continue;
            }
            used = true;
            break;
        }
        if (!used) notes += " (" + word + " names nothing)";
    }
    return notes;
}

// The script's answer: the button pressed, or nothing when there is no answer of this kind.
std::string Answer(OpenDialog& open) {
    const std::string& kind = open.dialog.answerKind;
    auto answer = TakeDialogAnswer([&](const std::string& line) {
        std::vector<std::string> words = Words(line);
        return !words.empty() && EqualsNoCase(words[0], kind);
    });
    if (!answer) return std::string();
    const std::vector<std::string> words = Words(*answer);
    std::string notes = ApplyValues(open, words);
    const std::string action = words.size() > 1 ? words[1] : std::string();
    // The close box is the dialog's own message; the caller sends it.
    // The log shows the answer as written.
    std::string taken = action;
    for (std::size_t i = 2; i < words.size(); ++i) taken += " " + words[i];
    if (EqualsNoCase(action, "close")) return taken + notes;
    for (const DlgItem& item : open.dialog.items) {
        if ((item.kind == DlgItemKind::Button || item.kind == DlgItemKind::DefButton) &&
            EqualsNoCase(item.answerName, action)) {
            open.face->Click(item.id);
            return taken + notes;
        }
    }
    return taken + " (no such button)" + notes;
}

void Record(HWND hwnd, const OpenDialog& open, const std::string& answer, const std::string& note) {
    DialogRecord record;
    record.kind = open.dialog.answerKind;
    record.answer = answer;
    record.result = open.result;
    record.initialChecked = open.initialChecked;
    std::string titleUtf8;
    if (open.face) {
        titleUtf8 = open.face->Title();
        record.title = Utf8ToCp932(titleUtf8);
        for (const DlgItem& item : open.dialog.items)
            record.texts[item.id] = Utf8ToCp932(open.face->Text(item.id));
    }
    if (hwnd) GetWindowRect(hwnd, &record.window);
    std::string line = "dialog " + record.kind + " \"" + titleUtf8 + "\" -> " + answer + " = " +
                       std::to_string(open.result) + note;
    if (!GetSeams().headless && note.find("no display") != std::string::npos)
        std::fprintf(stderr, "kestrune4: %s\n", line.c_str());
    AppendScriptLog(line);
    std::lock_guard lock(g_recordsMutex);
    g_records.push_back(std::move(record));
}

}  // namespace

namespace {

// Headless the base units are fixed, so layouts are the same on every machine; on a display
// they are the dialog font's.
void BaseUnits(int* x, int* y) {
    if (GetSeams().headless) {
        *x = kBaseUnitX;
        *y = kBaseUnitY;
    } else {
        DialogBaseUnits(x, y);
    }
}

}  // namespace

int DialogUnitsToPixelsX(int units) {
    int x = 0, y = 0;
    BaseUnits(&x, &y);
    return units * x / 4;
}

int DialogUnitsToPixelsY(int units) {
    int x = 0, y = 0;
    BaseUnits(&x, &y);
    return units * y / 8;
}

LRESULT DialogBox(const DlgTemplate& dialog, HWND /*owner*/, DLGPROC proc) {
    auto open = std::make_shared<OpenDialog>();
    open->dialog = dialog;
    open->proc = proc;
    const bool headless = GetSeams().headless;
    std::string error;
    open->face = headless ? MakeModelDialogFace() : MakeGtkDialogFace(&error);
    if (!open->face) {
        Record(nullptr, *open, "cancel", " (no display: " + error + ")");
        return 0;
    }
    HWND hwnd = CreateWindow(DialogWindowProc);
    {
        std::lock_guard lock(g_openMutex);
        g_open[hwnd] = open;
    }
    DialogFaceEvents events;
    events.command = [hwnd](int id, std::uint32_t code) {
        SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(static_cast<std::uint32_t>(id), code), 0);
    };
    events.close = [hwnd] { SendMessage(hwnd, WM_CLOSE, 0, 0); };
    if (!open->face->Build(dialog, events)) {
        {
            std::lock_guard lock(g_openMutex);
            g_open.erase(hwnd);
        }
        DestroyWindow(hwnd);
        return -1;
    }
    SetWindowMover(hwnd, [face = open->face.get()](const RECT& rect) { face->Move(rect); });
    ModalScope modal;
    proc(hwnd, WM_INITDIALOG, 0, 0);
    for (const DlgItem& item : dialog.items)
        if ((item.kind == DlgItemKind::Radio || item.kind == DlgItemKind::CheckBox) &&
            open->face->Checked(item.id))
            open->initialChecked.push_back(item.id);
    open->face->Show();

    std::string answer;
    std::string note;
    if (!open->ended) {
        const bool scripted = headless || ScriptInUse();
        if (scripted) answer = Answer(*open);
        const bool closeBox = answer == "close" || answer.rfind("close ", 0) == 0;
        if (closeBox && !open->ended) proc(hwnd, WM_CLOSE, 0, 0);
        if (answer.empty() && headless) {
            const DlgItem* def = DefaultButton(dialog);
            answer = def ? "default " + def->answerName : "default";
            if (def) open->face->Click(def->id);
        }
    }
    if (headless) {
        // Nobody else can end it: a dialog the answer left open is closed.
        if (!open->ended) {
            note = " (still open: closed)";
            proc(hwnd, WM_CLOSE, 0, 0);
        }
        if (!open->ended) {
            open->ended = true;
            open->result = 0;
        }
    } else {
        open->face->RunUntil([&] { return open->ended; });
    }
    Record(hwnd, *open, answer.empty() ? "person" : answer, note);
    const LRESULT result = open->result;
    DestroyWindow(hwnd);
    ForgetWindowRect(hwnd);
    {
        std::lock_guard lock(g_openMutex);
        g_open.erase(hwnd);
    }
    return result;
}

bool EndDialog(HWND dlg, LRESULT result) {
    std::shared_ptr<OpenDialog> open = Find(dlg);
    if (!open) return false;
    open->ended = true;
    open->result = result;
    return true;
}

bool IsDialog(HWND hwnd) {
    return Find(hwnd) != nullptr;
}

bool HasDlgItem(HWND dlg, int id) {
    std::shared_ptr<OpenDialog> open = Find(dlg);
    return open && FindItem(open->dialog, id);
}

bool SetDialogTitle(HWND dlg, const char* title) {
    std::shared_ptr<OpenDialog> open = Find(dlg);
    if (!open) return false;
    open->face->SetTitle(Cp932ToUtf8(title ? title : ""));
    return true;
}

std::string GetDialogTitle(HWND dlg) {
    std::shared_ptr<OpenDialog> open = Find(dlg);
    return open ? Utf8ToCp932(open->face->Title()) : std::string();
}

bool SetDlgItemText(HWND dlg, int id, const char* text) {
    std::shared_ptr<OpenDialog> open = Find(dlg);
    if (!open || !FindItem(open->dialog, id)) return false;
    open->face->SetText(id, Cp932ToUtf8(text ? text : ""));
    return true;
}

namespace {

// Bytes of CP932 text taken by its first `chars` characters.
std::size_t Cp932BytesOfChars(const std::string& cp932, int chars) {
    std::size_t pos = 0;
    for (int i = 0; i < chars && pos < cp932.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(cp932[pos]);
        const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        pos += lead && pos + 1 < cp932.size() ? 2 : 1;
    }
    return pos;
}

int CharsOfCp932Bytes(const std::string& cp932, int bytes) {
    int chars = 0;
    std::size_t pos = 0;
    while (pos < cp932.size() && pos < static_cast<std::size_t>(bytes)) {
        const unsigned char c = static_cast<unsigned char>(cp932[pos]);
        const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        pos += lead && pos + 1 < cp932.size() ? 2 : 1;
        ++chars;
    }
    return chars;
}

}  // namespace

std::string GetDlgItemText(HWND dlg, int id, std::size_t maxBytes, bool* representable) {
    std::shared_ptr<OpenDialog> open = Find(dlg);
    if (representable) *representable = true;
    if (!open || maxBytes == 0) return std::string();
    const std::string utf8 = open->face->Text(id);
    std::string text = Utf8ToCp932(utf8);
    if (representable) *representable = Cp932ToUtf8(text) == utf8;
    // One byte is the terminating zero's; a double-byte character is never split.
    const std::size_t limit = maxBytes - 1;
    if (text.size() > limit) {
        std::size_t pos = 0;
        for (int chars = 1;; ++chars) {
            const std::size_t next = Cp932BytesOfChars(text, chars);
            if (next > limit || next == pos) break;
            pos = next;
        }
        text.resize(pos);
    }
    return text;
}

bool CheckDlgButton(HWND dlg, int id, int state) {
    std::shared_ptr<OpenDialog> open = Find(dlg);
    if (!open || !FindItem(open->dialog, id)) return false;
    open->face->SetCheck(id, state != BST_UNCHECKED);
    return true;
}

int IsDlgButtonChecked(HWND dlg, int id) {
    std::shared_ptr<OpenDialog> open = Find(dlg);
    return open && open->face->Checked(id) ? BST_CHECKED : BST_UNCHECKED;
}

bool GetEditSel(HWND dlg, int id, int* start, int* end) {
    std::shared_ptr<OpenDialog> open = Find(dlg);
    if (!open || !FindItem(open->dialog, id)) return false;
    int s = 0, e = 0;
    open->face->Selection(id, &s, &e);
    const std::string text = Utf8ToCp932(open->face->Text(id));
    *start = static_cast<int>(Cp932BytesOfChars(text, s));
    *end = static_cast<int>(Cp932BytesOfChars(text, e));
    return true;
}

bool SetEditSel(HWND dlg, int id, int start, int end) {
    std::shared_ptr<OpenDialog> open = Find(dlg);
    if (!open || !FindItem(open->dialog, id)) return false;
    const std::string text = Utf8ToCp932(open->face->Text(id));
    open->face->SetSelection(id, start < 0 ? -1 : CharsOfCp932Bytes(text, start),
                             end < 0 ? -1 : CharsOfCp932Bytes(text, end));
    return true;
}

bool EnableDlgItem(HWND dlg, int id, bool enable) {
    std::shared_ptr<OpenDialog> open = Find(dlg);
    if (!open || !FindItem(open->dialog, id)) return false;
    open->face->Enable(id, enable);
    return true;
}

bool GetDlgItemRect(HWND dlg, int id, RECT* rect) {
    std::shared_ptr<OpenDialog> open = Find(dlg);
    if (!open || !FindItem(open->dialog, id) || !rect) return false;
    RECT outer{};
    GetWindowRect(dlg, &outer);
    // The client area starts inside the dialog frame, below the caption.
    const int left = outer.left + GetSystemMetrics(SM_CXDLGFRAME);
    const int top = outer.top + GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION);
    RECT r = open->face->ItemRect(id);
    *rect = RECT{r.left + left, r.top + top, r.right + left, r.bottom + top};
    return true;
}

bool IsDialogBackspaceDown(HWND dlg) {
    std::shared_ptr<OpenDialog> open = Find(dlg);
    return open && open->face->BackspaceDown();
}

std::vector<DialogRecord> ShownDialogs() {
    std::lock_guard lock(g_recordsMutex);
    return g_records;
}

void ClearShownDialogs() {
    std::lock_guard lock(g_recordsMutex);
    g_records.clear();
}

bool TypeIntoDlgItem(HWND dlg, int id, const std::string& utf8) {
    std::shared_ptr<OpenDialog> open = Find(dlg);
    if (!open || !FindItem(open->dialog, id)) return false;
    open->face->Type(id, utf8);
    return true;
}

bool BackspaceInDlgItem(HWND dlg, int id) {
    std::shared_ptr<OpenDialog> open = Find(dlg);
    if (!open || !FindItem(open->dialog, id)) return false;
    open->face->Backspace(id);
    return true;
}

}  // namespace plat
