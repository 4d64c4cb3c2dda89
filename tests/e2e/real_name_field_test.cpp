// A name field (the edit control of three characters on one line) in a real dialog under
// xvfb-run, typed into through XTest as a person types: the fourth letter is refused,
// Backspace works, a character composed with the input method (Ctrl+Shift+U and its code)
// enters, Enter inside the composition presses nothing, Enter after it presses OK.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <string>
#include <thread>  // also the clocks: <chrono> itself cannot be compiled to CP932

#include "base/dialog_base.h"
#include "base/edit_control.h"
#include "base/test_dialog.h"
#include "e2e/real_dialog_fixture.h"
#include "e2e/x_input.h"
#include "platform/dialog.h"
#include "platform/message_box.h"

namespace {

using namespace std::chrono_literals;

class NameFieldDialog : public TestDialog<NameFieldDialog> {
public:
    static constexpr int kField = 1003;
    std::string name;
    cCtrlEdit edit;
    int okPresses = 0;

    plat::LRESULT OnInitDialog(plat::WPARAM w, plat::LPARAM l) override {
        DLG_CLASS::OnInitDialog(w, l);
        EditCtrlDesc desc;
        desc.Set(kField, &name, 3, 1);
        edit.Init(this, desc);
        Controls.push_back(&edit);
        return 1;
    }
    void OnCommand(plat::WPARAM w, plat::LPARAM l) override {
        if (plat::LOWORD(w) == plat::IDOK && plat::HIWORD(w) == plat::BN_CLICKED) {
            ++okPresses;
            FromControls();
            End(1);
            return;
        }
        DLG_CLASS::OnCommand(w, l);
    }
    std::string Field() const { return plat::GetDlgItemText(hWnd, kField, 64); }

protected:
    const plat::DlgTemplate& Template() const override {
        static const plat::DlgTemplate t{
            "name",
            120,
            50,
            {{kField, plat::DlgItemKind::Edit, "", 5, 5, 60, 12, "text", ""},
             {plat::IDOK, plat::DlgItemKind::DefButton, "OK", 70, 30, 40, 14, "ok", ""}}};
        return t;
    }
};

GtkWidget* FindEntry(GtkWidget* w) {
    if (GTK_IS_ENTRY(w)) return w;
    GtkWidget* found = nullptr;
    if (GTK_IS_CONTAINER(w)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(w));
        for (GList* l = children; l && !found; l = l->next) found = FindEntry(GTK_WIDGET(l->data));
        g_list_free(children);
    }
    return found;
}

class RealNameField : public RealDialogs {};

TEST_F(RealNameField, TypedByXTestWithAnInputMethodComposition) {
    if (!xinput::Available()) GTEST_SKIP() << "no XTest";
    NameFieldDialog dialog;
    dialog.name = "";
    // What the person saw at each step, and what the input method showed.
    std::string afterFour, afterBackspace, preedit, afterComposition;
    int caretAfterFour = -1, okInsideComposition = -1;
    int step = 0;
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    GtkWidget* window = nullptr;
    GtkWidget* entry = nullptr;
    auto waitFor = [&](bool ready) {
        // A step that never comes fails the test instead of leaving the dialog open.
        if (ready) return true;
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "step " << step << " timed out; the field holds " << dialog.Field();
            plat::EndDialog(dialog.hWnd, 0);
        }
        return false;
    };
    WhileModal modal([&]() {
        switch (step) {
            case 0:
                window = OpenWindow(GTK_TYPE_WINDOW);
                if (!waitFor(window && gtk_widget_get_mapped(window))) return false;
                entry = FindEntry(window);
                if (!entry) {
                    ADD_FAILURE() << "no entry";
                    plat::EndDialog(dialog.hWnd, 0);
                    return true;
                }
                g_signal_connect(entry, "preedit-changed",
                                 G_CALLBACK(+[](GtkEntry*, gchar* text, gpointer data) {
                                     *static_cast<std::string*>(data) = text ? text : "";
                                 }),
                                 &preedit);
                // The person clicks into the field.
                gdk_window_focus(gtk_widget_get_window(window), GDK_CURRENT_TIME);
                gtk_widget_grab_focus(entry);
                step = 1;
                return false;
            case 1:
                if (!waitFor(gtk_window_has_toplevel_focus(GTK_WINDOW(window)) &&
                             gtk_widget_has_focus(entry)))
                    return false;
                xinput::Type("abcd");
                step = 2;
                return false;
            case 2:
                if (!waitFor(dialog.Field().size() >= 3)) return false;
                // The fourth letter, typed with the others, has arrived by now.
                while (g_main_context_iteration(nullptr, FALSE)) {
                }
                afterFour = dialog.Field();
                caretAfterFour = gtk_editable_get_position(GTK_EDITABLE(entry));
                xinput::Tap("BackSpace");
                step = 3;
                return false;
            case 3:
                if (!waitFor(dialog.Field().size() == 2)) return false;
                afterBackspace = dialog.Field();
                // Ctrl+Shift+U opens a composition of a character by its code.
                xinput::Press("Control_L");
                xinput::Press("Shift_L");
                xinput::Tap("u");
                xinput::Release("Shift_L");
                xinput::Release("Control_L");
                xinput::Type("3042");
                step = 4;
                return false;
            case 4:
                if (!waitFor(preedit.find("3042") != std::string::npos)) return false;
                xinput::Tap("Return");  // inside the composition: it ends the composition
                step = 5;
                return false;
            case 5:
                if (!waitFor(dialog.Field().size() > 2 || dialog.okPresses > 0)) return false;
                afterComposition = dialog.Field();
                okInsideComposition = dialog.okPresses;
                if (dialog.okPresses == 0) xinput::Tap("Return");  // outside: presses OK
                return true;
        }
        return true;
    });
    EXPECT_EQ(dialog.DoModal(0), 1);
    EXPECT_EQ(afterFour, "abc");
    EXPECT_EQ(caretAfterFour, 3);
    EXPECT_EQ(afterBackspace, "ab");
    EXPECT_EQ(afterComposition, std::string("abあ"));
    EXPECT_EQ(okInsideComposition, 0);
    EXPECT_EQ(dialog.okPresses, 1);
    EXPECT_EQ(dialog.name, std::string("abあ"));
}

}  // namespace
