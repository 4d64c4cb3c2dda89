// The test seams: parsing the environment, the seams in force, and the K4_QUIT_AFTER close.
#include "platform/seams.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/frame.h"
#include "platform/messages.h"
#include "platform/platform_state.h"

namespace {

using Env = std::map<std::string, std::string>;

const Env* currentEnv = nullptr;
const char* FakeGetenv(const char* name) {
    auto it = currentEnv->find(name);
    return it == currentEnv->end() ? nullptr : it->second.c_str();
}

plat::Seams Parse(const Env& env) {
    currentEnv = &env;
    plat::Seams seams = plat::ParseSeams(FakeGetenv);
    currentEnv = nullptr;
    return seams;
}

struct SeamsCase {
    const char* name;
    Env env;
    void (*expect)(plat::Seams&);          // the fields that differ from the defaults
    std::vector<std::string> errorPieces;  // one error per piece, containing it
};

void ExpectSameSeams(const plat::Seams& a, const plat::Seams& b) {
    EXPECT_EQ(a.headless, b.headless);
    EXPECT_EQ(a.virtualClock, b.virtualClock);
    EXPECT_EQ(a.clockStart, b.clockStart);
    EXPECT_EQ(a.scriptPath, b.scriptPath);
    EXPECT_EQ(a.quitAfter, b.quitAfter);
    EXPECT_EQ(a.captureFrames, b.captureFrames);
    EXPECT_EQ(a.captureDir, b.captureDir);
    EXPECT_EQ(a.editorSocket, b.editorSocket);
    EXPECT_EQ(a.showCmd, b.showCmd);
    EXPECT_EQ(a.failSteps, b.failSteps);
    EXPECT_EQ(a.loseDeviceFrame, b.loseDeviceFrame);
    EXPECT_EQ(a.stateLogPath, b.stateLogPath);
    EXPECT_EQ(a.desktopBpp, b.desktopBpp);
}

void Nothing(plat::Seams&) {}

const SeamsCase kSeamsCases[] = {
    {"nothing set", {}, Nothing, {}},
    {"every seam",
     {{"K4_HEADLESS", "1"},
      {"K4_CLOCK", "virtual"},
      {"K4_SCRIPT", "/tmp/run 1/script.txt"},
      {"K4_QUIT_AFTER", "120"},
      {"K4_CAPTURE", "1,5,9:/tmp/out"},
      {"K4_EDITOR_SOCKET", "/tmp/editor.sock"},
      {"K4_SHOWCMD", "5"},
      {"K4_FAIL", "device_create,file_write"},
      {"K4_LOSE_DEVICE", "30"},
      {"K4_STATE_LOG", "/tmp/state.log"},
      {"K4_DESKTOP_BPP", "16"}},
     [](plat::Seams& s) {
         s.headless = true;
         s.virtualClock = true;
         s.scriptPath = "/tmp/run 1/script.txt";
         s.quitAfter = 120;
         s.captureFrames = {1, 5, 9};
         s.captureDir = "/tmp/out";
         s.editorSocket = "/tmp/editor.sock";
         s.showCmd = 5;
         s.failSteps = {"device_create", "file_write"};
         s.loseDeviceFrame = 30;
         s.stateLogPath = "/tmp/state.log";
         s.desktopBpp = 16;
     },
     {}},
    {"empty values count as unset",
     {{"K4_HEADLESS", ""}, {"K4_QUIT_AFTER", ""}, {"K4_CLOCK", ""}},
     Nothing,
     {}},
    {"headless 0 is off", {{"K4_HEADLESS", "0"}}, Nothing, {}},
    {"headless other", {{"K4_HEADLESS", "yes"}}, Nothing, {"K4_HEADLESS: expected 1 or 0: 'yes'"}},
    {"clock real", {{"K4_CLOCK", "real"}}, Nothing, {}},
    {"clock start hex",
     {{"K4_CLOCK", "virtual:0x7FFFF000"}},
     [](plat::Seams& s) {
         s.virtualClock = true;
         s.clockStart = 0x7FFFF000;
     },
     {}},
    {"clock start decimal, the largest",
     {{"K4_CLOCK", "virtual:4294967295"}},
     [](plat::Seams& s) {
         s.virtualClock = true;
         s.clockStart = 0xFFFFFFFFu;
     },
     {}},
    {"clock start zero",
     {{"K4_CLOCK", "virtual:0"}},
     [](plat::Seams& s) {
         s.virtualClock = true;
         s.clockStart = 0;
     },
     {}},
    {"clock start beyond 32 bits", {{"K4_CLOCK", "virtual:4294967296"}}, Nothing, {"K4_CLOCK"}},
    {"clock start missing", {{"K4_CLOCK", "virtual:"}}, Nothing, {"K4_CLOCK"}},
    {"clock start bare 0x", {{"K4_CLOCK", "virtual:0x"}}, Nothing, {"K4_CLOCK"}},
    {"clock start negative", {{"K4_CLOCK", "virtual:-1"}}, Nothing, {"K4_CLOCK"}},
    {"clock unknown", {{"K4_CLOCK", "Virtual"}}, Nothing, {"K4_CLOCK: expected"}},
    {"quit after hex", {{"K4_QUIT_AFTER", "0x10"}}, [](plat::Seams& s) { s.quitAfter = 16; }, {}},
    {"quit after not a number",
     {{"K4_QUIT_AFTER", "x"}},
     Nothing,
     {"K4_QUIT_AFTER: not a number: 'x'"}},
    {"quit after trailing junk", {{"K4_QUIT_AFTER", "10abc"}}, Nothing, {"'10abc'"}},
    {"quit after negative", {{"K4_QUIT_AFTER", "-5"}}, Nothing, {"K4_QUIT_AFTER"}},
    {"quit after zero", {{"K4_QUIT_AFTER", "0"}}, Nothing, {"K4_QUIT_AFTER: must be 1 or more"}},
    {"quit after beyond int", {{"K4_QUIT_AFTER", "2147483648"}}, Nothing, {"K4_QUIT_AFTER"}},
    {"quit after huge", {{"K4_QUIT_AFTER", "99999999999999999999999"}}, Nothing, {"K4_QUIT_AFTER"}},
    {"quit after control bytes", {{"K4_QUIT_AFTER", "\x01\x7F"}}, Nothing, {"'\\x01\\x7F'"}},
    {"a long value is cut in the message",
     {{"K4_QUIT_AFTER", std::string(500, '7') + "x"}},
     Nothing,
     {std::string(60, '7') + "...'"}},
    {"capture sorted, duplicates dropped, spaces allowed",
     {{"K4_CAPTURE", "9, 1 ,5,5:/d"}},
     [](plat::Seams& s) {
         s.captureFrames = {1, 5, 9};
         s.captureDir = "/d";
     },
     {}},
    {"capture folder may hold colons",
     {{"K4_CAPTURE", "3:/a:b/c"}},
     [](plat::Seams& s) {
         s.captureFrames = {3};
         s.captureDir = "/a:b/c";
     },
     {}},
    {"capture without folder", {{"K4_CAPTURE", "1,5"}}, Nothing, {"K4_CAPTURE: expected"}},
    {"capture empty folder", {{"K4_CAPTURE", "1:"}}, Nothing, {"K4_CAPTURE: no folder"}},
    {"capture bad frame keeps the seam off",
     {{"K4_CAPTURE", "1,x,3:/d"}},
     Nothing,
     {"K4_CAPTURE: not a number: 'x'"}},
    {"capture empty item", {{"K4_CAPTURE", "1,,3:/d"}}, Nothing, {"K4_CAPTURE: not a number: ''"}},
    {"capture frame zero", {{"K4_CAPTURE", "0:/d"}}, Nothing, {"K4_CAPTURE: must be 1 or more"}},
    {"fail skips empty items and spaces",
     {{"K4_FAIL", " a ,,b,"}},
     [](plat::Seams& s) {
         s.failSteps = {"a", "b"};
     },
     {}},
    {"showcmd zero", {{"K4_SHOWCMD", "0"}}, [](plat::Seams& s) { s.showCmd = 0; }, {}},
    {"showcmd beyond the show commands", {{"K4_SHOWCMD", "12"}}, Nothing, {"K4_SHOWCMD"}},
    {"editor socket too long",
     {{"K4_EDITOR_SOCKET", "/tmp/" + std::string(103, 's')}},
     Nothing,
     {"K4_EDITOR_SOCKET"}},
    {"editor socket at the limit",
     {{"K4_EDITOR_SOCKET", "/tmp/" + std::string(102, 's')}},
     [](plat::Seams& s) { s.editorSocket = "/tmp/" + std::string(102, 's'); },
     {}},
    {"lose device zero", {{"K4_LOSE_DEVICE", "0"}}, Nothing, {"K4_LOSE_DEVICE"}},
    {"desktop depth 32", {{"K4_DESKTOP_BPP", "32"}}, Nothing, {}},
    {"desktop depth other", {{"K4_DESKTOP_BPP", "24"}}, Nothing, {"K4_DESKTOP_BPP: not 16 or 32"}},
    {"errors of several seams are all kept, the good ones still apply",
     {{"K4_HEADLESS", "1"}, {"K4_QUIT_AFTER", "soon"}, {"K4_LOSE_DEVICE", "-1"}},
     [](plat::Seams& s) { s.headless = true; },
     {"K4_QUIT_AFTER", "K4_LOSE_DEVICE"}},
};

TEST(ParseSeams, Table) {
    for (const SeamsCase& c : kSeamsCases) {
        SCOPED_TRACE(c.name);
        plat::Seams expected;
        c.expect(expected);
        plat::Seams actual = Parse(c.env);
        ExpectSameSeams(actual, expected);
        ASSERT_EQ(actual.errors.size(), c.errorPieces.size());
        for (std::size_t i = 0; i < c.errorPieces.size(); ++i)
            EXPECT_NE(actual.errors[i].find(c.errorPieces[i]), std::string::npos)
                << actual.errors[i];
    }
}

class SeamsInForce : public ::testing::Test {
protected:
    void SetUp() override {
        plat::ResetPlatformState();
        saved = plat::GetSeams();
    }
    void TearDown() override {
        plat::SetSeams(saved);
        plat::ResetPlatformState();
    }
    plat::Seams saved;
};

TEST_F(SeamsInForce, SetSeamsReplacesAndFailStepReadsThem) {
    plat::Seams seams;
    seams.failSteps = {"device_create"};
    plat::SetSeams(seams);
    EXPECT_TRUE(plat::FailStep("device_create"));
    EXPECT_FALSE(plat::FailStep("device"));
    EXPECT_FALSE(plat::FailStep(nullptr));

    // A reference taken earlier stays readable after the seams are replaced.
    const plat::Seams& before = plat::GetSeams();
    plat::SetSeams(plat::Seams{});
    EXPECT_EQ(before.failSteps.count("device_create"), 1u);
    EXPECT_FALSE(plat::FailStep("device_create"));
}

plat::LRESULT IgnoreProc(plat::HWND, std::uint32_t, plat::WPARAM, plat::LPARAM) {
    return 0;
}

// The close requests waiting in the calling thread's queue for `window`.
int TakeCloses(plat::HWND window) {
    int closes = 0;
    plat::MSG m;
    while (plat::PeekMessage(&m, window, true))
        if (m.message == plat::WM_CLOSE) ++closes;
    return closes;
}

TEST_F(SeamsInForce, QuitAfterPostsOneCloseAfterItsFrame) {
    plat::Seams seams;
    seams.quitAfter = 3;
    plat::SetSeams(seams);
    plat::ResetFrames();
    plat::HWND window = plat::CreateWindow(IgnoreProc);
    plat::SetMainWindow(window);
    TakeCloses(window);

    std::vector<int> closesPerFrame;
    for (int i = 0; i < 5; ++i) {
        plat::AdvanceFrame();
        closesPerFrame.push_back(TakeCloses(window));
    }
    EXPECT_EQ(closesPerFrame, (std::vector<int>{0, 0, 1, 0, 0}));
    EXPECT_EQ(plat::FrameCount(), 5u);

    // After a reset the count starts again, and so does the close.
    plat::ResetFrames();
    EXPECT_EQ(plat::FrameCount(), 0u);
    for (int i = 0; i < 3; ++i) plat::AdvanceFrame();
    EXPECT_EQ(TakeCloses(window), 1);

    plat::SetMainWindow(nullptr);
    plat::DestroyWindow(window);
}

TEST_F(SeamsInForce, QuitAfterWaitsForAMainWindowInsteadOfLosingTheClose) {
    plat::Seams seams;
    seams.quitAfter = 1;
    plat::SetSeams(seams);
    plat::ResetFrames();
    plat::SetMainWindow(nullptr);
    plat::AdvanceFrame();

    plat::HWND window = plat::CreateWindow(IgnoreProc);
    plat::SetMainWindow(window);
    TakeCloses(window);
    plat::AdvanceFrame();
    plat::AdvanceFrame();
    EXPECT_EQ(TakeCloses(window), 1);

    plat::SetMainWindow(nullptr);
    plat::DestroyWindow(window);
}

TEST_F(SeamsInForce, WithoutQuitAfterNoCloseIsPosted) {
    plat::SetSeams(plat::Seams{});
    plat::ResetFrames();
    plat::HWND window = plat::CreateWindow(IgnoreProc);
    plat::SetMainWindow(window);
    TakeCloses(window);
    for (int i = 0; i < 50; ++i) plat::AdvanceFrame();
    EXPECT_EQ(TakeCloses(window), 0);
    plat::SetMainWindow(nullptr);
    plat::DestroyWindow(window);
}

}  // namespace
