// The frame of the dialogs the dialog tests build: a modal dialog whose window procedure is
// the object's own WndProc (through the one object of its kind alive at a time), and which
// ends on WM_CLOSE as a closed dialog does.
#pragma once

#include <cstdint>

#include "base/dialog_base.h"
#include "base/window_base.h"

template <class Derived>
class TestDialog : public DLG_CLASS {
public:
    TestDialog() {
        Init(1, nullptr, 0, &WindowList);
        lpfnProc = [](plat::HWND h, std::uint32_t m, plat::WPARAM w, plat::LPARAM l) {
            return current->WndProc(h, m, w, l);
        };
        current = this;
    }
    plat::LRESULT WndProc(plat::HWND h, std::uint32_t m, plat::WPARAM w, plat::LPARAM l) override {
        const plat::LRESULT r = Dispatch(h, m, w, l);
        if (m == plat::WM_CLOSE) End(0);
        return r;
    }

private:
    static inline TestDialog* current = nullptr;
};
