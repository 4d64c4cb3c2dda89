// The file choosers in GTK's real chooser under xvfb-run, used as a person uses them through
// XTest: the chooser opens in the asked folder, offers the files of the pattern in any case
// and hides a name the game's text cannot hold, and a typed name is the answer, as an
// absolute Windows-form path; the working folder stays. Saving proposes the name and asks
// before it replaces a file.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>  // also the clocks: <chrono> itself cannot be compiled to CP932

#include "e2e/real_dialog_fixture.h"
#include "e2e/x_input.h"
#include "gfx/file_dialogs.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;

// Every text of every row the chooser's file lists show now.
void ListedTexts(GtkWidget* w, std::set<std::string>& out) {
    if (GTK_IS_TREE_VIEW(w) && gtk_widget_get_mapped(w)) {
        GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(w));
        GtkTreeIter iter;
        for (bool more = model && gtk_tree_model_get_iter_first(model, &iter); more;
             more = gtk_tree_model_iter_next(model, &iter)) {
            for (int col = 0; col < gtk_tree_model_get_n_columns(model); ++col) {
                if (gtk_tree_model_get_column_type(model, col) != G_TYPE_STRING) continue;
                gchar* text = nullptr;
                gtk_tree_model_get(model, &iter, col, &text, -1);
                if (text) out.insert(text);
                g_free(text);
            }
        }
    }
    if (GTK_IS_CONTAINER(w)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(w));
        for (GList* l = children; l; l = l->next) ListedTexts(GTK_WIDGET(l->data), out);
        g_list_free(children);
    }
}

std::string CurrentFolder(GtkWidget* chooser) {
    gchar* folder = gtk_file_chooser_get_current_folder(GTK_FILE_CHOOSER(chooser));
    std::string out = folder ? folder : "";
    g_free(folder);
    return out;
}

std::string WindowsForm(std::string host) {
    std::replace(host.begin(), host.end(), '/', '\\');
    return host;
}

void Touch(const std::string& path) {
    std::ofstream(path, std::ios::binary) << "x";
}

class RealChooser : public RealDialogs {
protected:
    void SetUp() override {
        RealDialogs::SetUp();
        if (IsSkipped()) return;
        if (!xinput::Available()) GTEST_SKIP() << "no XTest";
    }
    TempDir dir_;
    // The steps of the person: each waits for what it needs; past the deadline the chooser
    // is cancelled and the test fails.
    std::chrono::steady_clock::time_point deadline_ = std::chrono::steady_clock::now() + 20s;
    int step_ = 0;
    bool WaitFor(bool ready, GtkWidget* chooser) {
        if (ready) return true;
        if (std::chrono::steady_clock::now() > deadline_) {
            ADD_FAILURE() << "step " << step_ << " timed out";
            if (chooser) gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_CANCEL);
            step_ = 99;
        }
        return false;
    }
    // Gives the chooser the keyboard, as the person's click on it does.
    bool Focused(GtkWidget* chooser) {
        if (gtk_window_has_toplevel_focus(GTK_WINDOW(chooser))) return true;
        gdk_window_focus(gtk_widget_get_window(chooser), GDK_CURRENT_TIME);
        return false;
    }
};

TEST_F(RealChooser, OpenOffersTheStageFilesAndAnswersTheTypedName) {
    std::filesystem::create_directory("Stages");
    Touch("Stages/forest.STG4_000");
    Touch("Stages/caf\xC3\xA9.stg4_001");  // é: the game's text cannot hold it
    Touch("Stages/notes.txt");
    std::string folder;
    std::set<std::string> offered;
    WhileModal modal([&]() {
        GtkWidget* chooser = OpenWindow(GTK_TYPE_FILE_CHOOSER_DIALOG);
        if (step_ == 99) return true;
        if (!WaitFor(chooser && gtk_widget_get_mapped(chooser), chooser)) return false;
        switch (step_) {
            case 0: {
                // The folder's files are listed once GTK has read it.
                std::set<std::string> listed;
                ListedTexts(chooser, listed);
                if (!WaitFor(listed.count("forest.STG4_000") > 0, chooser)) return false;
                offered = listed;
                folder = CurrentFolder(chooser);
                step_ = 1;
                return false;
            }
            case 1:
                if (!WaitFor(Focused(chooser), chooser)) return false;
                // The location field, the name typed, Enter.
                xinput::Tap("l", true);
                xinput::Type("forest.STG4_000");
                xinput::Tap("Return");
                step_ = 2;
                return true;
        }
        return true;
    });
    char path[260] = {};
    EXPECT_TRUE(GetOpenFileName(nullptr, path, sizeof path, "Stages", "ステージを開く",
                                "ステージ\0*.stg4_*\0", nullptr, 0, nullptr));
    EXPECT_EQ(folder, dir_.path + "/Stages");
    EXPECT_EQ(offered.count("notes.txt"), 0u);
    for (const std::string& text : offered) EXPECT_EQ(text.find("caf"), std::string::npos) << text;
    EXPECT_EQ(std::string(path), WindowsForm(dir_.path + "/Stages/forest.STG4_000"));
    EXPECT_EQ(std::filesystem::current_path().string(), dir_.path);
}

TEST_F(RealChooser, SaveProposesTheNameAndAsksBeforeReplacing) {
    std::filesystem::create_directory("Replays");
    Touch("Replays/old.rpl4_000");
    std::string folder, proposed;
    int questions = 0;
    WhileModal modal([&]() {
        if (step_ == 99) return true;
        GtkWidget* chooser = OpenWindow(GTK_TYPE_FILE_CHOOSER_DIALOG);
        GtkWidget* question = OpenWindow(GTK_TYPE_MESSAGE_DIALOG);
        if (!WaitFor(chooser && gtk_widget_get_mapped(chooser), chooser)) return false;
        switch (step_) {
            case 0: {
                gchar* name = gtk_file_chooser_get_current_name(GTK_FILE_CHOOSER(chooser));
                proposed = name ? name : "";
                g_free(name);
                folder = CurrentFolder(chooser);
                if (!WaitFor(Focused(chooser), chooser)) return false;
                // Another name over the proposed one: an existing file's.
                xinput::Tap("a", true);
                xinput::Type("old.rpl4_000");
                xinput::Tap("Return");
                step_ = 1;
                return false;
            }
            case 1:
                // Asked; not replacing returns to the chooser.
                if (!WaitFor(question && gtk_widget_get_mapped(question), chooser)) return false;
                ++questions;
                gtk_dialog_response(GTK_DIALOG(question), GTK_RESPONSE_CANCEL);
                step_ = 2;
                return false;
            case 2:
                if (!WaitFor(!question && Focused(chooser), chooser)) return false;
                xinput::Tap("Return");
                step_ = 3;
                return false;
            case 3:
                if (!WaitFor(question && gtk_widget_get_mapped(question), chooser)) return false;
                ++questions;
                gtk_dialog_response(GTK_DIALOG(question), GTK_RESPONSE_ACCEPT);
                step_ = 4;
                return true;
        }
        return true;
    });
    char path[260] = "replay01.rpl4_000";
    EXPECT_TRUE(GetSaveFileName(nullptr, path, "Replays", "リプレイを保存", "リプレイ\0*.rpl4_*\0",
                                "rpl4_000", 1));
    EXPECT_EQ(proposed, "replay01.rpl4_000");
    EXPECT_EQ(folder, dir_.path + "/Replays");
    EXPECT_EQ(questions, 2);
    EXPECT_EQ(std::string(path), WindowsForm(dir_.path + "/Replays/old.rpl4_000"));
    EXPECT_EQ(std::filesystem::current_path().string(), dir_.path);
}

}  // namespace
