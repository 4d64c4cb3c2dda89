#include "base/log.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "base/globals.h"
#include "platform/host_path.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/seams.h"

namespace {

int closeRequests = 0;

plat::LRESULT CountCloses(plat::HWND, std::uint32_t msg, plat::WPARAM, plat::LPARAM) {
    if (msg == plat::WM_CLOSE) ++closeRequests;
    return 0;
}

// Each test runs in its own temporary current folder, with the error log off and headless
// boxes.
class Logs : public ::testing::Test {
protected:
    void SetUp() override {
        previousDir_ = std::filesystem::current_path();
        char pattern[] = "/tmp/k4-log-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        std::filesystem::current_path(dir_);
        plat::ClearPathCache();
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
        std::filesystem::current_path(previousDir_);
        plat::ClearPathCache();
        std::filesystem::remove_all(dir_);
    }

    static std::string ReadFile(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
        plat::ClearPathCache();
    }
    // The error log by absolute path: each test's file is a new file to the logger.
    std::string ErrorLogPath() const { return (dir_ / "EC_Game.txt").string(); }

    static int PumpCloses() {
        plat::MSG msg;
        while (plat::PeekMessage(&msg, nullptr, true)) plat::DispatchMessage(&msg);
        return closeRequests;
    }

    std::filesystem::path previousDir_;
    std::filesystem::path dir_;
    plat::Seams previousSeams_;
};

TEST_F(Logs, OpenReportLogCreatesOrEmptiesTheFile) {
    ASSERT_EQ(OpenReportLog("Report_Game.txt"), 1);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "Report_Game.txt"));
    EXPECT_EQ(ReadFile(dir_ / "Report_Game.txt"), "");

    WriteFile(dir_ / "Old.txt", "left over from the last run\r\n");
    ASSERT_EQ(OpenReportLog("Old.txt"), 1);
    EXPECT_EQ(ReadFile(dir_ / "Old.txt"), "");
}

TEST_F(Logs, ReportLogAppendsEachLineWithWindowsLineEnds) {
    ASSERT_EQ(OpenReportLog("Report_Game.txt"), 1);
    EXPECT_EQ(ReportLog("App : ver %s", "747"), 1);
    // Closed after every line: the line is on disk before the next call.
    EXPECT_EQ(ReadFile(dir_ / "Report_Game.txt"), "App : ver 747\r\n");
    EXPECT_EQ(ReportLog("two\nlines %d", 2), 1);
    EXPECT_EQ(ReportLog("%s", ""), 1);
    EXPECT_EQ(ReadFile(dir_ / "Report_Game.txt"), "App : ver 747\r\ntwo\r\nlines 2\r\n\r\n");
}

TEST_F(Logs, TextIsWrittenExactlyAsGiven) {
    ASSERT_EQ(OpenReportLog("Report_Game.txt"), 1);
    SetErrorLog(1, ErrorLogPath());
    const struct {
        const char* argument;
        const char* written;
    } cases[] = {
        // CP932 bytes, one with a trail byte of 0x5C, stay as they are.
        {"エラー \x83\x5C\\", "エラー \x83\x5C\\"},
        // A percent sign in an argument is never taken for a format again.
        {"C:\\100%d\\%s%n", "C:\\100%d\\%s%n"},
    };
    std::string expected;
    for (const auto& c : cases) {
        ReportLog("path %s", c.argument);
        ReportLogErr("err %s", c.argument);
        expected += std::string("path ") + c.written + "\r\n" + "err " + c.written + "\r\n";
    }
    EXPECT_EQ(ReadFile(dir_ / "Report_Game.txt"), expected);
    EXPECT_EQ(ReadFile(ErrorLogPath()),
              std::string("err ") + cases[0].written + "\r\n" + "err " + cases[1].written + "\r\n");
}

TEST_F(Logs, LongLinesAreNotCut) {
    ASSERT_EQ(OpenReportLog("Report_Game.txt"), 1);
    const std::string longText(5000, 'x');
    ReportLogErr("%s|", longText.c_str());
    EXPECT_EQ(ReadFile(dir_ / "Report_Game.txt"), longText + "|\r\n");
}

TEST_F(Logs, LinesAreLostWhenTheReportLogIsMissing) {
    ASSERT_EQ(OpenReportLog("Report_Game.txt"), 1);
    std::filesystem::remove(dir_ / "Report_Game.txt");
    plat::ClearPathCache();
    EXPECT_EQ(ReportLog("lost"), 0);
    EXPECT_EQ(ReportLogErr("lost"), 0);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "Report_Game.txt"));

    EXPECT_EQ(OpenReportLog("no_such_folder\\Report_Game.txt"), 0);
    EXPECT_EQ(ReportLog("lost"), 0);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "no_such_folder"));
}

TEST_F(Logs, ErrorLogDoesNothingWhileOff) {
    WriteFile(ErrorLogPath(), "kept\r\n");
    SetErrorLog(0, ErrorLogPath());
    EXPECT_EQ(ErrorLogEnabled(), 0);
    ErrorLogLine("a");
    ErrorLogString("b");
    ErrorLog("c %d", 1);
    EXPECT_EQ(ReadFile(ErrorLogPath()), "kept\r\n");

    std::filesystem::remove(ErrorLogPath());
    plat::ClearPathCache();
    ErrorLogLine("d");
    EXPECT_FALSE(std::filesystem::exists(ErrorLogPath()));
}

TEST_F(Logs, FirstEnabledErrorLogWriteEmptiesTheFileAndLaterOnesAppend) {
    WriteFile(ErrorLogPath(), "left over from the last run\r\n");
    SetErrorLog(1, ErrorLogPath());
    EXPECT_NE(ErrorLogEnabled(), 0);
    ErrorLogLine("first %d");
    EXPECT_EQ(ReadFile(ErrorLogPath()), "first %d\r\n");
    ErrorLogString("second\nline");
    ErrorLog("third %s", "100%");
    EXPECT_EQ(ReadFile(ErrorLogPath()), "first %d\r\nsecond\r\nline\r\nthird 100%\r\n");

    // Switching off and on again within the run keeps appending to the same file.
    SetErrorLog(0, ErrorLogPath());
    ErrorLog("off");
    SetErrorLog(1, ErrorLogPath());
    ErrorLog("fourth");
    EXPECT_EQ(ReadFile(ErrorLogPath()), "first %d\r\nsecond\r\nline\r\nthird 100%\r\nfourth\r\n");
}

TEST_F(Logs, ErrorLogAndCloseAlwaysPostsTheCloseRequest) {
    plat::HWND window = plat::CreateWindow(CountCloses);
    ASSERT_NE(window, nullptr);

    ErrorLogAndClose(window, "off %d", 1);
    EXPECT_EQ(PumpCloses(), 1);
    EXPECT_FALSE(std::filesystem::exists(ErrorLogPath()));

    SetErrorLog(1, ErrorLogPath());
    ErrorLogAndClose(window, "on %s", "50%");
    EXPECT_EQ(PumpCloses(), 2);
    EXPECT_EQ(ReadFile(ErrorLogPath()), "on 50%\r\n");
    plat::DestroyWindow(window);
}

TEST_F(Logs, ReportLogBoxShowsTheSameTextOnce) {
    ASSERT_EQ(OpenReportLog("Report_Game.txt"), 1);
    SetErrorLog(1, ErrorLogPath());
    EXPECT_EQ(ReportLogBox("cannot open %s", "a%sb.bmp"), 1);
    EXPECT_EQ(ReadFile(dir_ / "Report_Game.txt"), "cannot open a%sb.bmp\r\n");
    EXPECT_EQ(ReadFile(ErrorLogPath()), "cannot open a%sb.bmp\r\n");
    const auto boxes = plat::ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "cannot open a%sb.bmp");
}

TEST_F(Logs, LinesFromSeveralThreadsAreAllKept) {
    ASSERT_EQ(OpenReportLog("Report_Game.txt"), 1);
    constexpr int kThreads = 4;
    constexpr int kLines = 50;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i) ReportLog("thread %d line %02d", t, i);
        });
    }
    for (auto& thread : threads) thread.join();

    const std::string text = ReadFile(dir_ / "Report_Game.txt");
    int missing = 0;
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kLines; ++i) {
            char line[40];
            std::snprintf(line, sizeof line, "thread %d line %02d\r\n", t, i);
            if (text.find(line) == std::string::npos) ++missing;
        }
    }
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(text.size(), std::size_t{kThreads * kLines * 18});
}

}  // namespace
