// The game's window while a real box or chooser is open (under xvfb-run from scripts/test):
// it ignores its close box and keys as a disabled owner does, it leaves full screen and keeps
// showing the frames a game thread presents, in both back ends, and an 8-bit DirectDraw
// display shows palette entry 0 black while a chooser is open.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <thread>  // also the clocks: <chrono> itself cannot be compiled to CP932
#include <vector>

#include "base/log.h"
#include "e2e/real_dialog_fixture.h"
#include "e2e/x_input.h"
#include "gfx/display.h"
#include "gfx/file_dialogs.h"
#include "gfx/palette.h"
#include "gfx/surface_lock.h"
#include "gfx/surface_tables.h"
#include "platform/ddraw.h"
#include "platform/display_window.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;

std::atomic<int> g_closes{0};
std::atomic<int> g_keys{0};

plat::LRESULT GameWindowProc(plat::HWND, std::uint32_t msg, plat::WPARAM, plat::LPARAM) {
    if (msg == plat::WM_CLOSE) ++g_closes;
    if (msg == plat::WM_KEYDOWN) ++g_keys;
    return 0;
}

// Dispatches the window thread's messages until `done` or three seconds passed.
bool PumpUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + 3s;
    for (;;) {
        plat::MSG msg;
        while (plat::PeekMessage(&msg, nullptr, true)) plat::DispatchMessage(&msg);
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(2ms);
    }
}

// The main window with its display window on the screen, as the game has it.
class GameWindow : public RealDialogs {
protected:
    static constexpr const char* kTitle = "Kestrune4 modal test";
    void SetUp() override {
        RealDialogs::SetUp();
        if (IsSkipped()) return;
        g_closes = 0;
        g_keys = 0;
        OpenReportLog("Report.txt");
        main_ = plat::CreateWindow(GameWindowProc);
        plat::SetMainWindow(main_);
        if (!plat::OpenDisplayWindow(main_, kTitle, 640, 480)) GTEST_SKIP() << "no SDL window";
        plat::ShowWindow(main_, plat::SW_SHOWNORMAL);
    }
    void TearDown() override {
        if (main_) {
            plat::CloseDisplayWindow();
            plat::DestroyWindow(main_);
        }
        RealDialogs::TearDown();
    }
    plat::HWND main_ = nullptr;
    TempDir dir_;
};

class RealGameWindow : public GameWindow {};

TEST_F(RealGameWindow, IgnoresItsCloseBoxAndKeysWhileABoxIsOpen) {
    if (!xinput::Available()) GTEST_SKIP() << "no XTest";
    unsigned long window = 0;
    ASSERT_TRUE(PumpUntil([&] { return (window = xinput::FindWindowNamed(kTitle)) != 0; }));
    // A person at the game's window while the box is open: a key goes down there, the close
    // box is clicked, and the loop runs on a while before the box is answered.
    int phase = 0, ticks = 0;
    WhileModal modal([&]() {
        GtkWidget* box = OpenWindow(GTK_TYPE_MESSAGE_DIALOG);
        if (!box) return false;
        if (phase == 0) {
            xinput::Focus(window);
            xinput::Press("z");
            xinput::RequestClose(window);
            phase = 1;
            return false;
        }
        if (++ticks < 5) return false;
        xinput::Release("z");
        gtk_dialog_response(GTK_DIALOG(box), plat::IDOK);
        return true;
    });
    EXPECT_EQ(plat::MessageBox(nullptr, "閉じないで", "見出し", plat::MB_OK), plat::IDOK);
    plat::MSG msg;  // whatever came meanwhile is dispatched now
    while (plat::PeekMessage(&msg, nullptr, true)) plat::DispatchMessage(&msg);
    EXPECT_EQ(g_closes, 0) << "the close box clicked during the box closed the game after it";
    EXPECT_EQ(g_keys, 0);
    // The same person after the box reaches the window.
    xinput::Focus(window);
    xinput::Tap("z");
    xinput::RequestClose(window);
    EXPECT_TRUE(PumpUntil([] { return g_closes > 0 && g_keys > 0; }));
    EXPECT_EQ(g_closes, 1);
}

// A stand-in for the game thread: draws a frame of a new colour and presents it, about 60
// times a second, until stopped.
class FrameSource {
public:
    explicit FrameSource(bool direct3D) {
        thread_ = std::thread([this, direct3D] {
            while (!stop_) {
                const int n = frames_ + 1;
                Fill(Colour(n));
                if (direct3D) {
                    D3DPresentFrame(60, 0, 0);
                } else {
                    PrimarySD.lpDS->lpDDSurface->Flip(nullptr, plat::DDFLIP_WAIT);
                    std::this_thread::sleep_for(15ms);
                }
                frames_ = n;
            }
        });
    }
    ~FrameSource() {
        stop_ = true;
        thread_.join();
    }
    int Frames() const { return frames_; }
    static std::uint32_t Colour(int n) {
        return 0xFF000000u | static_cast<std::uint32_t>(n * 37 & 0xFF) << 16 |
               static_cast<std::uint32_t>(n * 91 & 0xFF) << 8 | 0x40u;
    }
    static void Fill(std::uint32_t argb) {
        cSurfaceLock lock;
        if (!lock.Lock(&BackBuffer)) return;
        for (int y = 0; y < BackBuffer.nHeight; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(lock.m_lpBits) +
                        static_cast<std::ptrdiff_t>(y) * lock.m_nPitch;
            for (int x = 0; x < BackBuffer.nWidth; ++x) row[x] = argb;
        }
    }

private:
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> frames_{0};
};

// The pixel at the centre of what the window shows; 0 when it shows nothing.
std::uint32_t ShownCentre() {
    std::vector<std::uint32_t> shown;
    int w = 0, h = 0;
    if (!plat::ReadWindowPixels(shown, w, h) || w <= 0 || h <= 0) return 0;
    return shown[static_cast<std::size_t>(h / 2) * w + w / 2] | 0xFF000000u;
}

// Whether the window shows a newer frame than it showed, after the game presented a few more.
bool FramesGoOn(const FrameSource& source) {
    const std::uint32_t before = ShownCentre();
    const int from = source.Frames();
    const auto end = std::chrono::steady_clock::now() + 3s;
    while (source.Frames() < from + 3 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(2ms);
    const std::uint32_t after = ShownCentre();
    return after != before && after != 0xFF000000u;
}

class RealFullScreen : public GameWindow {};

TEST_F(RealFullScreen, LeftForABoxOrAChooserWhileFramesGoOnInBothBackEnds) {
    struct Case {
        int direct3D;
        bool chooser;
        const char* name;
    };
    const Case cases[] = {{1, false, "Direct3D, box"},
                          {1, true, "Direct3D, chooser"},
                          {0, false, "DirectDraw, box"},
                          {0, true, "DirectDraw, chooser"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(DDInit(c.direct3D, main_, 640, 480, 32, 0, 0, 1, 60, 0, StdSD, SurfaceDef,
                           kStdSurfaceCount));
        ASSERT_TRUE(plat::IsDisplayFullScreen());
        {
            FrameSource source(c.direct3D != 0);
            EXPECT_TRUE(FramesGoOn(source)) << "before";
            int fullDuring = -1, goesOnDuring = -1;
            WhileModal modal([&]() {
                GtkWidget* window =
                    OpenWindow(c.chooser ? GTK_TYPE_FILE_CHOOSER_DIALOG : GTK_TYPE_MESSAGE_DIALOG);
                if (!window || !gtk_widget_get_mapped(window)) return false;
                fullDuring = plat::IsDisplayFullScreen();
                goesOnDuring = FramesGoOn(source);
                gtk_dialog_response(GTK_DIALOG(window),
                                    c.chooser ? GTK_RESPONSE_CANCEL : plat::IDOK);
                return true;
            });
            if (c.chooser) {
                char path[260];
                EXPECT_FALSE(GetOpenFileName(main_, path, sizeof path, ".", "開く",
                                             "Stage\0*.stg4_*\0", nullptr, 0, nullptr));
            } else {
                EXPECT_EQ(plat::MessageBox(nullptr, "全画面", "見出し", plat::MB_OK), plat::IDOK);
            }
            EXPECT_EQ(fullDuring, 0);
            EXPECT_EQ(goesOnDuring, 1);
            EXPECT_TRUE(plat::IsDisplayFullScreen());
            EXPECT_TRUE(FramesGoOn(source)) << "after";
        }
        DDUnInit();
    }
}

// Presents the back buffer filled with palette index 0 and answers what the window shows.
std::uint32_t ShowIndexZero() {
    {
        cSurfaceLock lock;
        if (!lock.Lock(&BackBuffer)) return 0;
        const std::ptrdiff_t rowBytes =
            static_cast<std::ptrdiff_t>(lock.m_nPitch) * lock.m_nBytePerPixel;
        for (int y = 0; y < BackBuffer.nHeight; ++y)
            std::memset(lock.m_lpBits + y * rowBytes, 0,
                        static_cast<std::size_t>(BackBuffer.nWidth) * lock.m_nBytePerPixel);
    }
    // Presented from another thread, as the game thread does.
    std::thread([] { PrimarySD.lpDS->lpDDSurface->Flip(nullptr, plat::DDFLIP_WAIT); }).join();
    return ShownCentre();
}

std::uint32_t Argb(const plat::PALETTEENTRY& e) {
    return 0xFF000000u | static_cast<std::uint32_t>(e.peRed) << 16 |
           static_cast<std::uint32_t>(e.peGreen) << 8 | e.peBlue;
}

plat::PALETTEENTRY EntryZero() {
    plat::PALETTEENTRY e{};
    lpDDPalette->GetEntries(0, 0, 1, &e);
    return e;
}

TEST_F(RealFullScreen, EightBitDirectDrawShowsEntryZeroBlackDuringAChooser) {
    const plat::PALETTEENTRY own{10, 200, 30, 0};
    for (const bool choose : {false, true}) {
        SCOPED_TRACE(choose ? "a file chosen" : "cancelled");
        ASSERT_TRUE(
            DDInit(0, main_, 640, 480, 8, 0, 0, 1, 60, 0, StdSD, SurfaceDef, kStdSurfaceCount));
        PaletteOrg[0] = own;
        lpDDPalette->SetEntries(0, 0, 1, &own);
        EXPECT_EQ(ShowIndexZero(), Argb(own));
        std::uint32_t shownDuring = 0;
        plat::PALETTEENTRY entryDuring{1, 1, 1, 0};
        bool seen = false;
        WhileModal modal([&]() {
            GtkWidget* window = OpenWindow(GTK_TYPE_FILE_CHOOSER_DIALOG);
            if (!window || !gtk_widget_get_mapped(window)) return false;
            if (!seen) {
                entryDuring = EntryZero();
                shownDuring = ShowIndexZero();
                seen = true;
            }
            if (!choose) {
                gtk_dialog_response(GTK_DIALOG(window), GTK_RESPONSE_CANCEL);
                return true;
            }
            // Save takes the name once the chooser has read its folder: until the chooser
            // ends, the person presses Save again.
            gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(window), "new.rpl4_000");
            gtk_button_clicked(GTK_BUTTON(
                gtk_dialog_get_widget_for_response(GTK_DIALOG(window), GTK_RESPONSE_ACCEPT)));
            return false;
        });
        char path[260] = {};
        EXPECT_EQ(GetSaveFileName(main_, path, ".", "保存", "Replay\0*.rpl4_*\0", nullptr, 0),
                  choose);
        EXPECT_EQ(Argb(entryDuring), 0xFF000000u);
        EXPECT_EQ(shownDuring, 0xFF000000u);
        EXPECT_EQ(Argb(EntryZero()), Argb(own));
        EXPECT_EQ(ShowIndexZero(), Argb(own));
        DDUnInit();
    }
    // Other depths keep their palette as it is.
    ASSERT_TRUE(
        DDInit(0, main_, 640, 480, 32, 0, 0, 1, 60, 0, StdSD, SurfaceDef, kStdSurfaceCount));
    const plat::PALETTEENTRY before = EntryZero();
    plat::PALETTEENTRY entryDuring{};
    WhileModal modal([&]() {
        GtkWidget* window = OpenWindow(GTK_TYPE_FILE_CHOOSER_DIALOG);
        if (!window || !gtk_widget_get_mapped(window)) return false;
        entryDuring = EntryZero();
        gtk_dialog_response(GTK_DIALOG(window), GTK_RESPONSE_CANCEL);
        return true;
    });
    char path[260];
    EXPECT_FALSE(GetOpenFileName(main_, path, sizeof path, ".", "開く", "Stage\0*.stg4_*\0",
                                 nullptr, 0, nullptr));
    EXPECT_EQ(Argb(entryDuring), Argb(before));
    EXPECT_NE(Argb(before), 0xFF000000u);
    DDUnInit();
}

}  // namespace
