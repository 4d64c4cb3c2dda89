// Boxes and dialogs in real GTK windows (run under xvfb-run by scripts/test with the real
// window tests; without a display they skip and say why). A GLib timeout does what a
// person would while the modal loop runs: it reads the widgets and presses or closes.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <thread>  // also the clocks: <chrono> itself cannot be compiled to CP932
#include <vector>

#include "data/boot_settings.h"
#include "data/system_ini.h"
#include "data/system_record.h"
#include "e2e/real_dialog_fixture.h"
#include "platform/clock.h"
#include "platform/display_window.h"
#include "platform/gtk_ui.h"
#include "platform/keyboard.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/platform_state.h"
#include "platform/script_state.h"
#include "platform/seams.h"
#include "shell/main_window.h"
#include "shell/shell_globals.h"
#include "shell/start_dialog.h"
#include "support/temp_dir.h"

namespace {

TEST_F(RealDialogs, BoxesHaveTheButtonsAndTheDefaultOfTheirType) {
    struct Case {
        unsigned type;
        std::vector<int> buttons;
        int def;
        bool closable;
        int closed;  // the answer of the close box
    };
    const Case cases[] = {
        {plat::MB_OK, {plat::IDOK}, plat::IDOK, true, plat::IDOK},
        {plat::MB_OKCANCEL, {plat::IDOK, plat::IDCANCEL}, plat::IDOK, true, plat::IDCANCEL},
        {plat::MB_YESNO | plat::MB_DEFBUTTON2, {plat::IDYES, plat::IDNO}, plat::IDNO, false, 0},
        {plat::MB_YESNOCANCEL,
         {plat::IDYES, plat::IDNO, plat::IDCANCEL},
         plat::IDYES,
         true,
         plat::IDCANCEL},
    };
    for (const Case& c : cases) {
        bool checked = false;
        int phase = 0;
        WhileModal modal([&]() {
            GtkWidget* box = OpenWindow(GTK_TYPE_MESSAGE_DIALOG);
            if (!box) return false;
            if (phase == 0) {
                for (int id : {plat::IDOK, plat::IDCANCEL, plat::IDYES, plat::IDNO}) {
                    const bool expected =
                        std::find(c.buttons.begin(), c.buttons.end(), id) != c.buttons.end();
                    EXPECT_EQ(gtk_dialog_get_widget_for_response(GTK_DIALOG(box), id) != nullptr,
                              expected)
                        << c.type << " button " << id;
                }
                EXPECT_EQ(gtk_window_get_default_widget(GTK_WINDOW(box)),
                          gtk_dialog_get_widget_for_response(GTK_DIALOG(box), c.def))
                    << c.type;
                checked = true;
                // A close request, as the window manager's close box sends it.
                gtk_window_close(GTK_WINDOW(box));
                phase = 1;
                return false;
            }
            // Still open: only a box that cannot be closed.
            EXPECT_FALSE(c.closable) << c.type;
            gtk_dialog_response(GTK_DIALOG(box), plat::IDYES);
            return true;
        });
        const int answer = plat::MessageBox(nullptr, "テキスト", "見出し", c.type);
        EXPECT_TRUE(checked);
        EXPECT_EQ(answer, c.closable ? c.closed : plat::IDYES) << c.type;
    }
}

std::atomic<int> g_sends{0};
std::atomic<int> g_closes{0};
int g_closesDuringBox = -1;

plat::LRESULT CountingProc(plat::HWND, std::uint32_t msg, plat::WPARAM, plat::LPARAM) {
    if (msg == plat::WM_USER) ++g_sends;
    if (msg == plat::WM_CLOSE) ++g_closes;
    return 7;
}

TEST_F(RealDialogs, AnOpenBoxServesSendsAndKeepsPostsUntilItEnds) {
    plat::HWND main = plat::CreateWindow(CountingProc);
    plat::SetMainWindow(main);
    plat::SetKeyState('A', true);
    std::atomic<std::int64_t> worstMicros{0};
    std::atomic<bool> workerDone{false};
    std::thread worker;
    WhileModal modal([&]() {
        if (!OpenWindow(GTK_TYPE_MESSAGE_DIALOG)) return false;
        if (!worker.joinable()) {
            plat::PostMessage(main, plat::WM_CLOSE, 0, 0);
            worker = std::thread([&] {
                for (int i = 0; i < 5; ++i) {
                    const auto t0 = std::chrono::steady_clock::now();
                    EXPECT_EQ(plat::SendMessage(main, plat::WM_USER, 0, 0), 7);
                    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(
                                        std::chrono::steady_clock::now() - t0)
                                        .count();
                    if (i > 0 && us > worstMicros)
                        worstMicros = us;  // the first may meet GTK's start
                }
                workerDone = true;
            });
            return false;
        }
        if (!workerDone) return false;
        g_closesDuringBox = g_closes;
        gtk_dialog_response(GTK_DIALOG(OpenWindow(GTK_TYPE_MESSAGE_DIALOG)), plat::IDOK);
        return true;
    });
    EXPECT_EQ(plat::MessageBox(nullptr, "待って", "見出し", plat::MB_OK), plat::IDOK);
    worker.join();
    EXPECT_EQ(g_sends, 5);
    EXPECT_LT(worstMicros, 10000) << "a send waited longer than 10 ms";
    EXPECT_EQ(g_closesDuringBox, 0);  // the posted close waited for the box
    plat::MSG m;
    while (plat::PeekMessage(&m, nullptr, true)) plat::DispatchMessage(&m);
    EXPECT_EQ(g_closes, 1);
    EXPECT_EQ(plat::GetAsyncKeyState('A'), 0);  // keys are released after the box
    plat::DestroyWindow(main);
    plat::SetMainWindow(nullptr);
}

class RealStartDialog : public RealDialogs {
protected:
    void SetUp() override {
        RealDialogs::SetUp();
        if (IsSkipped()) return;
        ResetShellGlobals();
        std::filesystem::create_directory("user_data");
        EdSystem.strTitle = "テストゲーム";
        MainWnd.SetGeometry(640, 480, 100, 100, 640, 480, kMainWindowStyle, 0, 0, 0, 0, 0);
        MainWnd.CentreOnDesktop();
        SystemIni.Direct3D = 2;
    }
    TempDir dir;
};

std::string ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(RealStartDialog, ScriptAnswerDrivesTheWidgets) {
    plat::LoadScriptText("dialog start start mode=ddraw noask=1", dir.path + "/script.txt");
    EXPECT_TRUE(ChooseDrawingMode(MainWnd));
    EXPECT_EQ(SystemIni.Direct3D, 0);
    EXPECT_EQ(ReadFile("user_data/Boot.dat"),
              std::string("\xEB\x02\0\0\x02\0\0\0\0\0\0\0\x01\0\0\0\0\0\0\0", 20));
}

// Every label of the dialog, with its Pango layout.
void Labels(GtkWidget* w, std::vector<GtkWidget*>& out) {
    if (GTK_IS_LABEL(w)) out.push_back(w);
    if (GTK_IS_CONTAINER(w)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(w));
        for (GList* l = children; l; l = l->next) Labels(GTK_WIDGET(l->data), out);
        g_list_free(children);
        if (GTK_IS_FRAME(w) && gtk_frame_get_label_widget(GTK_FRAME(w)))
            Labels(gtk_frame_get_label_widget(GTK_FRAME(w)), out);
    }
}

GtkWidget* ButtonLabelled(GtkWidget* w, const char* label) {
    if (GTK_IS_BUTTON(w) && gtk_button_get_label(GTK_BUTTON(w)) &&
        std::string(gtk_button_get_label(GTK_BUTTON(w))) == label)
        return w;
    GtkWidget* found = nullptr;
    if (GTK_IS_CONTAINER(w)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(w));
        for (GList* l = children; l && !found; l = l->next)
            found = ButtonLabelled(GTK_WIDGET(l->data), label);
        g_list_free(children);
    }
    return found;
}

TEST_F(RealStartDialog, TextsShowWholeAndThePointerRestsOnStart) {
    bool inspected = false;
    WhileModal modal([&]() {
        GtkWidget* window = OpenWindow(GTK_TYPE_WINDOW);
        if (!window || !gtk_widget_get_mapped(window)) return false;
        std::vector<GtkWidget*> labels;
        Labels(window, labels);
        EXPECT_GE(labels.size(), 6u);
        for (GtkWidget* label : labels) {
            PangoLayout* layout = gtk_label_get_layout(GTK_LABEL(label));
            EXPECT_EQ(pango_layout_get_unknown_glyphs_count(layout), 0)
                << gtk_label_get_text(GTK_LABEL(label));
            int width = 0, height = 0;
            pango_layout_get_pixel_size(layout, &width, &height);
            GtkAllocation a;
            gtk_widget_get_allocation(label, &a);
            EXPECT_LE(width, a.width) << gtk_label_get_text(GTK_LABEL(label));
            EXPECT_LE(height, a.height) << gtk_label_get_text(GTK_LABEL(label));
        }
        const char start[] = "\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0\xE9\x96\x8B\xE5\xA7\x8B";
        GtkWidget* button = ButtonLabelled(window, start);
        EXPECT_NE(button, nullptr);
        if (button) {
            int ox = 0, oy = 0;
            gdk_window_get_origin(gtk_widget_get_window(window), &ox, &oy);
            int bx = 0, by = 0;
            gtk_widget_translate_coordinates(button, window, 0, 0, &bx, &by);
            GtkAllocation a;
            gtk_widget_get_allocation(button, &a);
            int px = 0, py = 0;
            gdk_device_get_position(
                gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())),
                nullptr, &px, &py);
            EXPECT_GE(px, ox + bx);
            EXPECT_LT(px, ox + bx + a.width);
            EXPECT_GE(py, oy + by);
            EXPECT_LT(py, oy + by + a.height);
            gtk_button_clicked(GTK_BUTTON(button));
        }
        inspected = true;
        return true;
    });
    EXPECT_TRUE(ChooseDrawingMode(MainWnd));
    EXPECT_TRUE(inspected);
    EXPECT_EQ(SystemIni.Direct3D, 1);  // Direct3D was checked
    EXPECT_EQ(ReadFile("user_data/Boot.dat"),
              std::string("\xEB\x02\0\0\x02\0\0\0\x01\0\0\0\0\0\0\0\0\0\0\0", 20));
}

TEST_F(RealStartDialog, TheCloseBoxCancels) {
    WhileModal modal([&]() {
        GtkWidget* window = OpenWindow(GTK_TYPE_WINDOW);
        if (!window || !gtk_widget_get_mapped(window)) return false;
        gtk_window_close(GTK_WINDOW(window));
        return true;
    });
    EXPECT_FALSE(ChooseDrawingMode(MainWnd));
    EXPECT_FALSE(std::filesystem::exists("user_data/Boot.dat"));
}

}  // namespace

namespace {

plat::LRESULT Quiet(plat::HWND, std::uint32_t, plat::WPARAM, plat::LPARAM) {
    return 0;
}

TEST_F(RealDialogs, FullScreenIsLeftForABoxAndComesBack) {
    plat::HWND main = plat::CreateWindow(Quiet);
    plat::SetMainWindow(main);
    if (!plat::OpenDisplayWindow(main, "Kestrune4", 640, 480)) {
        plat::DestroyWindow(main);
        plat::SetMainWindow(nullptr);
        GTEST_SKIP() << "no SDL window";
    }
    plat::ShowWindow(main, plat::SW_SHOWNORMAL);
    plat::SetDisplayFullScreen(true);
    ASSERT_TRUE(plat::IsDisplayFullScreen());
    int fullDuringBox = -1;
    WhileModal modal([&]() {
        GtkWidget* box = OpenWindow(GTK_TYPE_MESSAGE_DIALOG);
        if (!box) return false;
        fullDuringBox = plat::IsDisplayFullScreen() ? 1 : 0;
        gtk_dialog_response(GTK_DIALOG(box), plat::IDOK);
        return true;
    });
    EXPECT_EQ(plat::MessageBox(nullptr, "全画面", "見出し", plat::MB_OK), plat::IDOK);
    EXPECT_EQ(fullDuringBox, 0);
    EXPECT_TRUE(plat::IsDisplayFullScreen());
    plat::CloseDisplayWindow();
    plat::DestroyWindow(main);
    plat::SetMainWindow(nullptr);
}

}  // namespace
