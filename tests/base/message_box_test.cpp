#include "base/message_box.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "base/globals.h"
#include "base/log.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/seams.h"

namespace {

// The recorded boxes are UTF-8 while the program's texts are CP932.
std::string Utf8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

int closeRequests = 0;

plat::LRESULT CountCloses(plat::HWND, std::uint32_t msg, plat::WPARAM, plat::LPARAM) {
    if (msg == plat::WM_CLOSE) ++closeRequests;
    return 0;
}

// Headless boxes answer at once with their default button and are recorded.
class MessageBoxes : public ::testing::Test {
protected:
    void SetUp() override {
        previousSeams_ = plat::GetSeams();
        plat::Seams seams;
        seams.headless = true;
        plat::SetSeams(seams);
        plat::ClearShownBoxes();
        SetErrorLog(0, "");
        closeRequests = 0;
    }
    void TearDown() override {
        SetErrorLog(0, "");
        plat::ClearShownBoxes();
        plat::SetSeams(previousSeams_);
    }

    plat::Seams previousSeams_;
};

TEST_F(MessageBoxes, ShowMessageBoxPassesEverythingThroughAndReturnsTheAnswer) {
    const unsigned type = plat::MB_YESNO | plat::MB_DEFBUTTON2 | plat::MB_ICONQUESTION;
    EXPECT_EQ(ShowMessageBox("終了しますか？", "確認", type), plat::DefaultButton(type));
    const auto boxes = plat::ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, Utf8(u8"終了しますか？"));
    EXPECT_EQ(boxes[0].caption, Utf8(u8"確認"));
    EXPECT_EQ(boxes[0].type, type);
}

TEST_F(MessageBoxes, ErrorFormsUseTheErrorCaptionAndOk) {
    const std::string longText(3000, 'a');
    EXPECT_EQ(ErrorBox("ファイルがありません"), plat::IDOK);
    EXPECT_EQ(ErrorBoxF("%s %d%%", "読めません", 100), plat::IDOK);
    // No 1024-byte buffer: a long text with double-byte characters arrives whole.
    EXPECT_EQ(ErrorBoxF("%s表", longText.c_str()), plat::IDOK);

    const auto boxes = plat::ShownBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    for (const auto& box : boxes) {
        EXPECT_EQ(box.caption, Utf8(u8"エラー"));
        EXPECT_EQ(box.type, plat::MB_OK);
    }
    EXPECT_EQ(boxes[0].text, Utf8(u8"ファイルがありません"));
    EXPECT_EQ(boxes[1].text, Utf8(u8"読めません 100%"));
    EXPECT_EQ(boxes[2].text, longText + Utf8(u8"表"));
}

TEST_F(MessageBoxes, DebugErrorBoxShowsOnlyWhileTheErrorLogIsOn) {
    EXPECT_EQ(DebugErrorBox("debug %d", 1), 0);
    EXPECT_TRUE(plat::ShownBoxes().empty());

    // Switched on without a usable file: the box does not depend on the log file.
    SetErrorLog(1, "");
    EXPECT_EQ(DebugErrorBox("debug %d", 2), plat::IDOK);
    const auto boxes = plat::ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "debug 2");
    EXPECT_EQ(boxes[0].caption, Utf8(u8"エラー"));
}

TEST_F(MessageBoxes, MemoryErrorShowsTheBoxAndAsksTheMainWindowToClose) {
    plat::HWND window = plat::CreateWindow(CountCloses);
    ASSERT_NE(window, nullptr);
    hWndMain = window;
    MemoryErrorAndClose();
    hWndMain = nullptr;

    const auto boxes = plat::ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, Utf8(u8"メモリが不足しています！"));
    EXPECT_EQ(boxes[0].caption, Utf8(u8"エラー"));

    plat::MSG msg;
    while (plat::PeekMessage(&msg, nullptr, true)) plat::DispatchMessage(&msg);
    EXPECT_EQ(closeRequests, 1);
    plat::DestroyWindow(window);
}

}  // namespace
