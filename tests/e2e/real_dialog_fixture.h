// What the tests of real boxes, dialogs and choosers share (they run under xvfb-run from
// scripts/test; without a display they skip and say why): a fixture that is not headless, the
// open GTK windows, and a GLib timeout that does what a person would while a modal loop runs.
#pragma once

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/gtk_ui.h"
#include "platform/platform_state.h"
#include "platform/seams.h"

class RealDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        plat::SetSeams(plat::Seams{});  // not headless
        plat::ResetPlatformState();
        std::string why;
        if (!plat::EnsureGtk(&why)) GTEST_SKIP() << "no display: " << why;
    }
    void TearDown() override { plat::ResetPlatformState(); }
};

// The open top-level window of a type, or null.
inline GtkWidget* OpenWindow(GType type) {
    GList* list = gtk_window_list_toplevels();
    GtkWidget* found = nullptr;
    for (GList* l = list; l; l = l->next)
        if (G_TYPE_CHECK_INSTANCE_TYPE(l->data, type) &&
            gtk_widget_get_visible(GTK_WIDGET(l->data)))
            found = GTK_WIDGET(l->data);
    g_list_free(list);
    return found;
}

// Runs `step` from the modal loop every 20 ms until it returns true or the scope ends.
class WhileModal {
public:
    explicit WhileModal(std::function<bool()> step) : alive_(std::make_shared<bool>(true)) {
        auto* held = new std::function<bool()>(
            [alive = alive_, step = std::move(step)]() { return !*alive || step(); });
        g_timeout_add_full(
            G_PRIORITY_DEFAULT, 20,
            [](gpointer data) -> gboolean {
                return (*static_cast<std::function<bool()>*>(data))() ? G_SOURCE_REMOVE
                                                                      : G_SOURCE_CONTINUE;
            },
            held, [](gpointer data) { delete static_cast<std::function<bool()>*>(data); });
    }
    ~WhileModal() { *alive_ = false; }

private:
    std::shared_ptr<bool> alive_;
};
