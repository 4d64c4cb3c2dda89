// The control objects of a dialog: each knows its id, binds a variable of the dialog's
// creator and moves the value between the variable and the control.
#pragma once

#include <cstdint>
#include <string>

#include "platform/messages.h"

class DLG_CLASS;

// Control kinds, as the dialog's command routing tells them apart.
inline constexpr int kCtrlPlain = 0;
inline constexpr int kCtrlEdit = 3;
inline constexpr int kCtrlStatic = 4;
inline constexpr int kCtrlCheckBox = 5;
inline constexpr int kCtrlRadio = 6;
inline constexpr int kCtrlList = 7;
inline constexpr int kCtrlRedrawn = 8;
inline constexpr int kCtrlButton = 11;

class cCtrlBase {
public:
    explicit cCtrlBase(int kind) : nKind(kind) {}
    virtual ~cCtrlBase() = default;

    virtual void Enable(bool enable);
    virtual void ToControl() {}
    virtual void FromControl() {}
    virtual void OnChange() {}
    virtual bool OnNotify(plat::WPARAM, plat::LPARAM) { return false; }
    virtual bool OnScroll(plat::WPARAM, plat::LPARAM) { return false; }
    virtual void Redraw() {}
    virtual void OnKillFocus() {}
    virtual void Refresh() {}
    virtual void OnKey(int, plat::LPARAM, bool) {}

    // Binds the object to the control `id` of the dialog's window.
    void Attach(DLG_CLASS* dialog, int id);
    void UpdatePos();
    void Resize(int width, int height);
    void SetText(const char* text);

    DLG_CLASS* lpDialog = nullptr;
    plat::HWND hWndDlg = nullptr;  // the dialog's window; the control is addressed by its id
    int nKind = kCtrlPlain;
    int nId = 0;
    int nScreenLeft = 0, nScreenTop = 0;
    int nRelX = 0, nRelY = 0;
};

class cCtrlButton : public cCtrlBase {
public:
    cCtrlButton() : cCtrlBase(kCtrlButton) {}
};

class cCtrlPlain : public cCtrlBase {
public:
    cCtrlPlain() : cCtrlBase(kCtrlPlain) {}
};

// A drawing canvas; nothing in the player draws on one.
class cCtrlStatic : public cCtrlBase {
public:
    cCtrlStatic() : cCtrlBase(kCtrlStatic) {}
};

class cCtrlCheckBox : public cCtrlBase {
public:
    cCtrlCheckBox() : cCtrlBase(kCtrlCheckBox) {}
    void Bind(int* value) { lpValue = value; }
    void ToControl() override;
    void FromControl() override;

    int* lpValue = nullptr;
};

class cCtrlRadio : public cCtrlBase {
public:
    cCtrlRadio() : cCtrlBase(kCtrlRadio) {}
    void Bind(int* value, int own) {
        lpValue = value;
        nOwnValue = own;
    }
    void ToControl() override;
    void FromControl() override;

    int* lpValue = nullptr;
    int nOwnValue = 0;
};
