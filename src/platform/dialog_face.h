// The face of a dialog: the widgets that show a template. Internal to the platform layer;
// two faces (the in-memory model, GTK) stand behind this one seam, and the dialog's logic
// (dialog.cpp) sees only it. Texts are UTF-8, edit positions characters.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/dialog.h"

namespace plat {

struct DialogFaceEvents {
    std::function<void(int id, std::uint32_t code)> command;  // WM_COMMAND
    std::function<void()> close;                              // the close box
};

class DialogFace {
public:
    virtual ~DialogFace() = default;

    // Builds the widgets (not yet shown); false when it cannot.
    virtual bool Build(const DlgTemplate& dialog, DialogFaceEvents events) = 0;
    virtual void Show() = 0;
    virtual void SetTitle(const std::string& text) = 0;
    virtual std::string Title() const = 0;
    virtual void SetText(int id, const std::string& text) = 0;
    virtual std::string Text(int id) const = 0;
    virtual void SetCheck(int id, bool on) = 0;
    virtual bool Checked(int id) const = 0;
    virtual void SetSelection(int id, int start, int end) = 0;
    virtual void Selection(int id, int* start, int* end) const = 0;
    virtual void Enable(int id, bool on) = 0;
    // Client-relative pixels.
    virtual RECT ItemRect(int id) const = 0;
    virtual void Move(const RECT& outer) = 0;
    virtual bool BackspaceDown() const = 0;

    // Acting as a person: press a button (a radio or check box toggles as clicked), set a
    // check box, type into an edit control. Each reports what the widget reports.
    virtual void Click(int id) = 0;
    virtual void Type(int id, const std::string& text) = 0;
    virtual void Backspace(int id) = 0;

    // Serves the face's events (and the modal loop's duties) until `done` says so.
    virtual void RunUntil(const std::function<bool()>& done) = 0;
};

std::unique_ptr<DialogFace> MakeModelDialogFace();
// Null when no display can be opened (the reason in *error).
std::unique_ptr<DialogFace> MakeGtkDialogFace(std::string* error);

}  // namespace plat
