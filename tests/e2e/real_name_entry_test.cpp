// The ranking-name dialog in a real window under xvfb-run, used through XTest as a person
// would: the old name is selected, so typing replaces it; a fourth letter is refused; Enter
// confirms; the English label reads "     Name"; the window manager's close box keeps the old
// name.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <thread>  // also the clocks: <chrono> itself cannot be compiled to CP932

#include "data/system_ini.h"
#include "e2e/real_dialog_fixture.h"
#include "e2e/x_input.h"
#include "platform/dialog.h"
#include "shell/main_window.h"
#include "shell/name_entry_dialog.h"

namespace {

using namespace std::chrono_literals;

// The first descendant of `w` of a type, or null.
GtkWidget* FindChild(GtkWidget* w, GType type) {
    if (G_TYPE_CHECK_INSTANCE_TYPE(w, type)) return w;
    GtkWidget* found = nullptr;
    if (GTK_IS_CONTAINER(w)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(w));
        for (GList* l = children; l && !found; l = l->next)
            found = FindChild(GTK_WIDGET(l->data), type);
        g_list_free(children);
    }
    return found;
}

// Whether a label under `w` shows exactly `text`.
bool HasLabel(GtkWidget* w, const std::string& text) {
    if (GTK_IS_LABEL(w) && text == gtk_label_get_text(GTK_LABEL(w))) return true;
    bool found = false;
    if (GTK_IS_CONTAINER(w)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(w));
        for (GList* l = children; l && !found; l = l->next)
            found = HasLabel(GTK_WIDGET(l->data), text);
        g_list_free(children);
    }
    return found;
}

class RealNameEntry : public RealDialogs {
protected:
    void SetUp() override {
        RealDialogs::SetUp();
        if (IsSkipped()) return;
        if (!xinput::Available()) GTEST_SKIP() << "no XTest";
        english_ = SystemIni.English;
    }
    void TearDown() override {
        SystemIni.English = english_;
        RealDialogs::TearDown();
    }
    // Runs the dialog on `name`; `act` is called from its modal loop with the window and its
    // field once the field has the focus, until it answers true.
    int Run(std::string& name, const std::function<bool(GtkWidget*, GtkWidget*)>& act) {
        cNameEntryDialog dialog(MainWnd, name);
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        GtkWidget* window = nullptr;
        GtkWidget* entry = nullptr;
        bool focused = false;
        WhileModal modal([&]() {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "the dialog did not get to its end";
                plat::EndDialog(dialog.hWnd, 0);
                return true;
            }
            if (!window) {
                window = OpenWindow(GTK_TYPE_WINDOW);
                if (!window || !gtk_widget_get_mapped(window)) {
                    window = nullptr;
                    return false;
                }
                entry = FindChild(window, GTK_TYPE_ENTRY);
                if (!entry) {
                    ADD_FAILURE() << "no name field";
                    plat::EndDialog(dialog.hWnd, 0);
                    return true;
                }
                gdk_window_focus(gtk_widget_get_window(window), GDK_CURRENT_TIME);
                gtk_widget_grab_focus(entry);
                return false;
            }
            if (!focused) {
                focused = gtk_window_has_toplevel_focus(GTK_WINDOW(window)) &&
                          gtk_widget_has_focus(entry);
                return false;
            }
            return act(window, entry);
        });
        return dialog.DoModal(0);
    }

    int english_ = 0;
};

TEST_F(RealNameEntry, TypingReplacesTheSelectedOldNameUpToThreeLetters) {
    SystemIni.English = 1;
    std::string name = "old";
    bool labelled = false;
    int selectedFrom = -1, selectedTo = -1;
    int step = 0;
    const int result = Run(name, [&](GtkWidget* window, GtkWidget* entry) {
        switch (step) {
            case 0:
                labelled = HasLabel(window, "     Name");
                gtk_editable_get_selection_bounds(GTK_EDITABLE(entry), &selectedFrom, &selectedTo);
                xinput::Type("xyzw");
                step = 1;
                return false;
            case 1:
                if (std::string(gtk_entry_get_text(GTK_ENTRY(entry))) != "xyz") return false;
                // The refused fourth letter, typed with the others, has arrived by now.
                while (g_main_context_iteration(nullptr, FALSE)) {
                }
                xinput::Tap("Return");
                step = 2;
                return true;
        }
        return true;
    });
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(labelled);
    EXPECT_EQ(selectedFrom, 0);
    EXPECT_EQ(selectedTo, 3);
    EXPECT_EQ(name, "xyz");
}

TEST_F(RealNameEntry, TheCloseBoxKeepsTheOldName) {
    std::string name = "old";
    bool typed = false, asked = false;
    const int result = Run(name, [&](GtkWidget* window, GtkWidget* entry) {
        if (!typed) {
            xinput::Type("ab");
            typed = true;
            return false;
        }
        if (std::string(gtk_entry_get_text(GTK_ENTRY(entry))) != "ab") return false;
        // The dialog has no caption: the test names its window to find it at the X server.
        // Asked once; the loop goes on (to its deadline) until the dialog has ended.
        if (!asked) {
            gtk_window_set_title(GTK_WINDOW(window), "name-entry-under-test");
            const unsigned long x = xinput::FindWindowNamed("name-entry-under-test");
            if (x == 0) return false;
            xinput::RequestClose(x);
            asked = true;
        }
        return false;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(name, "old");
}

}  // namespace
