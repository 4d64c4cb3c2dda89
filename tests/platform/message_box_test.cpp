// Message boxes, headless: scripted answers, default buttons, the record and the log, and
// the routing of a box asked on another thread to the window thread.
#include "platform/message_box.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>  // also the clocks: <chrono> itself cannot be compiled to CP932

#include "platform/messages.h"
#include "platform/platform_state.h"
#include "platform/runtime_internal.h"
#include "platform/script_state.h"
#include "platform/seams.h"

namespace {

using namespace std::chrono_literals;
using plat::IDCANCEL;
using plat::IDNO;
using plat::IDOK;
using plat::IDYES;

// The sources are compiled to CP932; u8 literals keep the UTF-8 a box records.
std::string U8(const char8_t* s) {
    return reinterpret_cast<const char*>(s);
}

template <class Pred>
bool WaitUntil(Pred pred, std::chrono::milliseconds limit = 5000ms) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

class HeadlessBox : public ::testing::Test {
protected:
    void SetUp() override {
        saved = plat::GetSeams();
        plat::Seams seams;
        seams.headless = true;
        plat::SetSeams(seams);
        plat::ResetPlatformState();
        path = ::testing::TempDir() + "k4_box_test_" + std::to_string(getpid()) + ".txt";
        plat::LoadScriptText("", "");
    }
    void TearDown() override {
        plat::SetSeams(saved);
        plat::ResetPlatformState();
        std::remove((path + ".log").c_str());
    }
    std::string Log() {
        std::ifstream in(path + ".log", std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    plat::Seams saved;
    std::string path;
};

struct DefaultCase {
    unsigned type;
    int button;
};

const DefaultCase kDefaults[] = {
    {plat::MB_OK, IDOK},
    {plat::MB_OK | plat::MB_DEFBUTTON2, IDOK},
    {plat::MB_OK | plat::MB_ICONERROR, IDOK},
    {plat::MB_OKCANCEL, IDOK},
    {plat::MB_OKCANCEL | plat::MB_DEFBUTTON2, IDCANCEL},
    {plat::MB_OKCANCEL | plat::MB_DEFBUTTON3, IDOK},
    {plat::MB_YESNO, IDYES},
    {plat::MB_YESNO | plat::MB_DEFBUTTON2 | plat::MB_ICONQUESTION, IDNO},
    {plat::MB_YESNO | plat::MB_DEFBUTTON3, IDYES},
    {plat::MB_YESNOCANCEL, IDYES},
    {plat::MB_YESNOCANCEL | plat::MB_DEFBUTTON2, IDNO},
    {plat::MB_YESNOCANCEL | plat::MB_DEFBUTTON3 | plat::MB_ICONWARNING, IDCANCEL},
};

TEST_F(HeadlessBox, UnscriptedBoxAnswersItsDefaultButton) {
    for (const DefaultCase& c : kDefaults) {
        SCOPED_TRACE(testing::Message() << "type 0x" << std::hex << c.type);
        EXPECT_EQ(plat::DefaultButton(c.type), c.button);
        EXPECT_EQ(plat::MessageBox(nullptr, "text", "caption", c.type), c.button);
    }
    EXPECT_EQ(plat::ShownBoxes().size(), std::size(kDefaults));
}

TEST_F(HeadlessBox, ScriptedAnswersAreTakenInOrder) {
    plat::LoadScriptText("box no\nbox cancel\nbox ok\nbox yes\n", "");
    EXPECT_EQ(plat::MessageBox(nullptr, "1", "c", plat::MB_YESNO), IDNO);
    EXPECT_EQ(plat::MessageBox(nullptr, "2", "c", plat::MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(plat::MessageBox(nullptr, "3", "c", plat::MB_OKCANCEL | plat::MB_DEFBUTTON2), IDOK);
    EXPECT_EQ(plat::MessageBox(nullptr, "4", "c", plat::MB_YESNO | plat::MB_DEFBUTTON2), IDYES);
    // The script has run out: the default button again.
    EXPECT_EQ(plat::MessageBox(nullptr, "5", "c", plat::MB_YESNO | plat::MB_DEFBUTTON2), IDNO);
}

TEST_F(HeadlessBox, AnswerThatDoesNotFitIsKeptForTheNextBox) {
    plat::LoadScriptText("box yes\n", path);
    EXPECT_EQ(plat::MessageBox(nullptr, "info", "c", plat::MB_OK), IDOK);
    EXPECT_EQ(plat::MessageBox(nullptr, "ask", "c", plat::MB_YESNO | plat::MB_DEFBUTTON2), IDYES);
    EXPECT_EQ(Log(),
              "box \"c\" \"info\" -> ok (default; the scripted yes does not fit this box and "
              "stays queued)\n"
              "box \"c\" \"ask\" -> yes\n");
}

TEST_F(HeadlessBox, EveryBoxIsRecordedAndLoggedInUtf8) {
    plat::LoadScriptText("box no\n", path);
    plat::MessageBox(nullptr, "既に起動しています。\n実行中のプログラムを閉じて再起動しますか？",
                     "二重起動", plat::MB_YESNO);
    plat::MessageBox(nullptr, "C:\\data\\\"stage\".dat\tが読み込めません！", nullptr,
                     plat::MB_OK | plat::MB_ICONERROR);

    std::vector<plat::BoxRecord> boxes = plat::ShownBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, U8(u8"二重起動"));
    EXPECT_EQ(boxes[0].text,
              U8(u8"既に起動しています。\n実行中のプログラムを閉じて再起動しますか？"));
    EXPECT_EQ(boxes[0].type, plat::MB_YESNO);
    EXPECT_EQ(boxes[0].answer, IDNO);
    EXPECT_EQ(boxes[0].thread, std::this_thread::get_id());
    EXPECT_EQ(boxes[1].caption, "Error");  // no caption, as Windows names it
    EXPECT_EQ(boxes[1].answer, IDOK);

    // One line per box; quotes, backslashes and control characters escaped.
    EXPECT_EQ(Log(),
              U8(u8"box \"二重起動\" "
                 u8"\"既に起動しています。\\n実行中のプログラムを閉じて再起動しますか？\" -> no\n"
                 u8"box \"Error\" \"C:\\\\data\\\\\\\"stage\\\".dat\\tが読み込めません！\" "
                 u8"-> ok (default)\n"));

    plat::ClearShownBoxes();
    EXPECT_TRUE(plat::ShownBoxes().empty());
}

TEST_F(HeadlessBox, WithoutScriptNoLogIsWritten) {
    plat::MessageBox(nullptr, "t", "c", plat::MB_OK);
    EXPECT_EQ(plat::ShownBoxes().size(), 1u);
    std::ifstream log(path + ".log");
    EXPECT_FALSE(log.good());
}

TEST_F(HeadlessBox, WithoutADisplayTheRealBoxFallsBackToItsDefault) {
    // No display to connect to: SDL cannot show the box, which must not block or fail.
    std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    std::string wayland = std::getenv("WAYLAND_DISPLAY") ? std::getenv("WAYLAND_DISPLAY") : "";
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    plat::SetSeams(plat::Seams{});
    int answer = plat::MessageBox(nullptr, "t", "c", plat::MB_YESNO | plat::MB_DEFBUTTON2);
    if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
    if (!wayland.empty()) setenv("WAYLAND_DISPLAY", wayland.c_str(), 1);
    EXPECT_EQ(answer, IDNO);
    ASSERT_EQ(plat::ShownBoxes().size(), 1u);
    EXPECT_EQ(plat::ShownBoxes()[0].answer, IDNO);
}

plat::LRESULT IgnoreProc(plat::HWND, std::uint32_t, plat::WPARAM, plat::LPARAM) {
    return 0;
}

// The test thread owns the main window, so it is the window thread.
class BoxFromWorker : public HeadlessBox {
protected:
    void SetUp() override {
        HeadlessBox::SetUp();
        window = plat::CreateWindow(IgnoreProc);
        plat::SetMainWindow(window);
    }
    void TearDown() override {
        plat::DestroyWindow(window);
        HeadlessBox::TearDown();
    }
    bool SentPending() {
        auto& q = plat::detail::CurrentThread()->queue;
        std::lock_guard lock(q.mutex);
        return !q.sent.empty();
    }
    // Joins a worker that should be done; if it is stuck in a send, closing releases it
    // so that the test fails instead of hanging.
    void Finish(std::thread& worker, const std::atomic<bool>& done) {
        if (!WaitUntil([&] { return done.load(); })) {
            ADD_FAILURE() << "the worker's box did not return";
            plat::BeginClosing();
        }
        worker.join();
    }
    plat::HWND window = nullptr;
};

TEST_F(BoxFromWorker, RunsOnTheWindowThreadWhileItPumps) {
    plat::LoadScriptText("box no\n", "");
    std::atomic<bool> done{false};
    std::atomic<int> answer{0};
    plat::HWND activeOnWorker = window;
    std::thread worker([&] {
        activeOnWorker = plat::GetActiveWindow();
        answer = plat::MessageBox(nullptr, "from the game thread", "c", plat::MB_YESNO);
        done = true;
    });
    // Nothing is shown until the window thread pumps.
    ASSERT_TRUE(WaitUntil([&] { return SentPending(); }));
    EXPECT_TRUE(plat::ShownBoxes().empty());
    plat::MSG m;
    bool served = WaitUntil([&] {
        plat::PeekMessage(&m, nullptr, true);
        return done.load();
    });
    EXPECT_TRUE(served);
    Finish(worker, done);

    EXPECT_EQ(answer, IDNO);
    std::vector<plat::BoxRecord> boxes = plat::ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].thread, std::this_thread::get_id());
    EXPECT_EQ(boxes[0].text, "from the game thread");
    EXPECT_EQ(activeOnWorker, nullptr);
    EXPECT_EQ(plat::GetActiveWindow(), window);
}

TEST_F(BoxFromWorker, ClosingAnswersTheDefaultAndTheLeftRequestShowsNothing) {
    plat::LoadScriptText("box yes\n", "");
    std::atomic<bool> done{false};
    std::atomic<int> answer{0};
    std::thread worker([&] {
        answer = plat::MessageBox(nullptr, "t", "c", plat::MB_YESNO | plat::MB_DEFBUTTON2);
        done = true;
    });
    ASSERT_TRUE(WaitUntil([&] { return SentPending(); }));
    plat::BeginClosing();
    Finish(worker, done);
    EXPECT_EQ(answer, IDNO);

    // The window thread serves the request its sender has left: no box appears, and the
    // scripted answer is still there for a box someone waits for.
    plat::EndClosingForTests();
    plat::MSG m;
    plat::PeekMessage(&m, nullptr, true);
    EXPECT_FALSE(SentPending());
    EXPECT_TRUE(plat::ShownBoxes().empty());
    EXPECT_EQ(plat::MessageBox(nullptr, "t", "c", plat::MB_YESNO | plat::MB_DEFBUTTON2), IDYES);
}

}  // namespace
