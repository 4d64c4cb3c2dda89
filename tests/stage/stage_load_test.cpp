// Loading a stage for play: the numbered file found, damaged and heroless stages refused
// with their boxes, the hand-over to the destination, and the caller's pump while the load
// thread reads. The pump tests read the stage through a named pipe, so that the load can
// only end once the test has seen the caller serve a request or take a quit message.
#include "stage/stage_load.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "base/globals.h"
#include "base/log.h"
#include "base/thread.h"
#include "platform/clock.h"
#include "platform/host_path.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/seams.h"
#include "platform/time_units.h"
#include "stage/engine_globals.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kPing = plat::WM_USER + 50;

std::atomic<int> closeRequests{0};
std::atomic<int> pingsServed{0};

plat::LRESULT MainProc(plat::HWND, std::uint32_t msg, plat::WPARAM, plat::LPARAM) {
    if (msg == plat::WM_CLOSE) ++closeRequests;
    if (msg == kPing) {
        ++pingsServed;
        return 42;
    }
    return 0;
}

std::string Utf8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::FILE* file = plat::FileOpen(path, "wb");
    ASSERT_NE(file, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

cEdChara Hero() {
    cEdChara hero;
    hero.nGraphic = 1;
    hero.nControl = 0;
    hero.nPlaceX = 2;
    return hero;
}

// A stage with a placed hero (unless told otherwise), an enemy, a block and an item, and
// settings, lines, areas, backgrounds and texts that a hand-over must carry.
cEdStage MakeStage(std::int32_t width, bool hero = true) {
    cEdStage stage;
    stage.nWidth = width;
    stage.nHeight = 20;
    stage.nTimeLimit = 77;
    stage.strText = "stage text";
    stage.vecResultLine[0] = 0;
    stage.AreaLimit[AREA_ITEM].Set(1, 1, 0, 0, 3, 3, 0, 0);
    stage.vecBackground[0].nColour = 7;
    stage.vecBackground.emplace_back().strImage = "bmp\\back\\hill.bmp";
    stage.vecText.emplace_back().strText = "text";
    cEdChara enemy;
    enemy.nGraphic = 4;
    enemy.nControl = 1;
    stage.vecChara.push_back(enemy);
    if (hero) stage.vecChara.push_back(Hero());
    stage.vecBlock.emplace_back().nGraphic = 2;
    stage.vecItem.emplace_back().nGraphic = 3;
    return stage;
}

Bytes StageBytes(std::int32_t width, bool hero = true,
                 std::uint32_t version = kCurrentDataVersion) {
    cEdStage stage = MakeStage(width, hero);
    return version == kCurrentDataVersion ? stage.SaveToBytes()
                                          : stage.SaveToBytes(RecordWriter::ForOldVersion(version));
}

void SetLastU32(Bytes& bytes, std::uint32_t value) {
    std::memcpy(bytes.data() + bytes.size() - 4, &value, 4);
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

template <class Pred>
bool WaitUntil(Pred pred, std::chrono::milliseconds limit = 5000ms) {
    const auto end = Clock::now() + limit;
    while (!pred()) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// Writes the bytes into the named pipe once a reader has opened it (within the limit).
bool Feed(const std::string& hostPath, const Bytes& bytes) {
    int fd = -1;
    const bool opened = WaitUntil([&] {
        fd = ::open(hostPath.c_str(), O_WRONLY | O_NONBLOCK);
        return fd >= 0;
    });
    if (!opened) return false;
    ::fcntl(fd, F_SETFL, 0);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return done == bytes.size();
}

class StageLoad : public ::testing::Test {
protected:
    void SetUp() override {
        previousSeams_ = plat::GetSeams();
        plat::Seams seams;
        seams.headless = true;
        plat::SetSeams(seams);
        plat::UseRealClock();
        ResetEngineGlobals();
        closeRequests = 0;
        pingsServed = 0;
        hWndMain = plat::CreateWindow(MainProc);
        plat::SetMainWindow(hWndMain);
        // What a refused load must leave alone.
        destination_.nWidth = 7;
        destination_.vecBackground.resize(3);
        EdStageWork.nWidth = 5;
    }
    void TearDown() override {
        thStageLoad.Exit();
        Pump();
        plat::DestroyWindow(hWndMain);
        ResetEngineGlobals();
        plat::SetSeams(previousSeams_);
    }
    // Serves the close requests posted to the main window.
    void Pump() {
        plat::MSG m;
        while (plat::PeekMessage(&m, nullptr, true)) plat::DispatchMessage(&m);
    }
    // A successful load leaves nothing behind in the caller's queue.
    void ExpectQueueEmpty() {
        plat::MSG m;
        EXPECT_FALSE(plat::PeekMessage(&m, nullptr, true)) << "message " << m.message;
    }
    void ExpectDestinationUntouched() {
        EXPECT_EQ(destination_.nWidth, 7);
        EXPECT_EQ(destination_.vecBackground.Size(), 3u);
        EXPECT_EQ(destination_.vecCharaPalette.Size(), 1u);
    }

    TempDir dir_;
    cEdStage destination_;
    plat::Seams previousSeams_;
};

TEST_F(StageLoad, NumberedFileLoadsTheHighestVersionAndHandsOverAllButPalettes) {
    WriteFile("s.stg4_003", StageBytes(33));
    WriteFile("s.stg4_010", StageBytes(110));
    EXPECT_EQ(LoadStageForPlay("s.stg4_003", 1, &destination_), 1);
    ExpectQueueEmpty();
    EXPECT_EQ(EdStageWork.strPath, "s.stg4_010");
    EXPECT_EQ(EdStageWork.bNumbered, 1);
    EXPECT_TRUE(plat::ShownBoxes().empty());
    Pump();
    EXPECT_EQ(closeRequests, 0);

    EXPECT_EQ(destination_.nWidth, 110);
    EXPECT_EQ(destination_.nTimeLimit, 77);
    EXPECT_EQ(destination_.strText, "stage text");
    EXPECT_EQ(destination_.speed.nSubSteps6, EdStageWork.speed.nSubSteps6);
    EXPECT_EQ(destination_.vecResultLine[0], 0);
    EXPECT_EQ(destination_.AreaLimit[AREA_ITEM].nRightMargin, 3);
    ASSERT_EQ(destination_.vecBackground.Size(), 2u);
    EXPECT_EQ(destination_.vecBackground[0].nColour, 7);
    EXPECT_EQ(destination_.vecBackground[1].strImage, "bmp\\back\\hill.bmp");
    ASSERT_EQ(destination_.vecText.Size(), 1u);
    // The palettes and placements live only in the load buffer.
    EXPECT_EQ(destination_.vecBlockPalette.Size() + destination_.vecCharaPalette.Size() +
                  destination_.vecItemPalette.Size() + destination_.vecBlock.Size() +
                  destination_.vecChara.Size() + destination_.vecItem.Size(),
              0u);
    EXPECT_EQ(destination_.vecCharaPalette.capacity(), 0u);
    EXPECT_EQ(EdStageWork.vecCharaPalette.Size(), 2u);
    EXPECT_EQ(EdStageWork.vecChara.Size(), 2u);
    EXPECT_EQ(EdStageWork.FindHero(), 1);
    EXPECT_EQ(EdStageWork.vecBlock.Size(), 1u);
    EXPECT_EQ(EdStageWork.vecItem.Size(), 1u);
}

TEST_F(StageLoad, PlainPathIsTakenAsItIsAndANullOrLoadBufferDestinationOnlyLoads) {
    WriteFile("plain.stg4", StageBytes(40));
    WriteFile("plain.stg4_001", StageBytes(41));
    for (cEdStage* destination : {static_cast<cEdStage*>(nullptr), &EdStageWork}) {
        SCOPED_TRACE(destination ? "load buffer" : "none");
        EdStageWork = cEdStage();
        EXPECT_EQ(LoadStageForPlay("plain.stg4", 0, destination), 1);
        ExpectQueueEmpty();
        EXPECT_EQ(EdStageWork.strPath, "plain.stg4");
        EXPECT_EQ(EdStageWork.nWidth, 40);
        // Nothing was handed over, so nothing was given up.
        EXPECT_EQ(EdStageWork.vecBlockPalette.Size(), 2u);
        EXPECT_EQ(EdStageWork.vecCharaPalette.Size(), 2u);
        EXPECT_EQ(EdStageWork.vecItemPalette.Size(), 2u);
        EXPECT_EQ(EdStageWork.vecChara.Size(), 2u);
        EXPECT_EQ(EdStageWork.vecBlock.Size(), 1u);
        EXPECT_EQ(EdStageWork.vecItem.Size(), 1u);
        EXPECT_EQ(EdStageWork.vecBackground.Size(), 2u);
    }
}

TEST_F(StageLoad, NoNumberedFileGivesZeroWithoutABox) {
    WriteFile("other.stg4_005", StageBytes(10));
    EXPECT_EQ(LoadStageForPlay("missing.stg4", 1, &destination_), 0);
    EXPECT_TRUE(plat::ShownBoxes().empty());
    Pump();
    EXPECT_EQ(closeRequests, 0);
    EXPECT_EQ(EdStageWork.nWidth, 5);
    ExpectDestinationUntouched();
}

TEST_F(StageLoad, RefusedStagesShowTheirBoxLeaveTheDestinationAndCloseWhereDue) {
    Bytes damaged = StageBytes(20);
    SetLastU32(damaged, 123456788);
    Bytes damaged174 = StageBytes(20, true, 174);
    SetLastU32(damaged174, 0);
    Bytes shortOld = StageBytes(20, true, 150);
    shortOld.resize(shortOld.size() - 3);
    Bytes surplus = StageBytes(20);
    const std::uint32_t fields = kStageFieldCount + 1;
    std::memcpy(surplus.data() + 4, &fields, 4);

    const std::string brokenBox = Utf8(u8"ステージファイル s.stg4 が破損しています！");
    const std::string readBox = Utf8(u8"ステージファイル s.stg4 の読み込みに失敗しました！");
    const std::string heroBox = Utf8(u8"主人公が配置されていないのでプレイできません！");
    struct Case {
        const char* what;
        Bytes bytes;  // empty: no file
        bool failThread;
        std::string box;
        int closes;
        bool read;  // the load thread read the file into the load buffer
    } cases[] = {
        {"end value wrong", damaged, false, brokenBox, 1, false},
        {"end value wrong at 174", damaged174, false, brokenBox, 1, false},
        {"no hero", StageBytes(20, false), false, heroBox, 1, true},
        {"short file", shortOld, false, readBox, 0, true},
        // The surplus field's checked access asks the program to close by itself.
        {"surplus field", surplus, false, readBox, 1, true},
        {"no file", {}, false, readBox, 0, false},
        {"no load thread", StageBytes(20), true, readBox, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        plat::DeleteFile("s.stg4");
        if (!c.bytes.empty()) WriteFile("s.stg4", c.bytes);
        plat::Seams seams = plat::GetSeams();
        seams.failSteps.clear();
        if (c.failThread) seams.failSteps.insert("thread_create");
        plat::SetSeams(seams);
        plat::ClearShownBoxes();
        closeRequests = 0;
        EdStageWork.nWidth = 5;

        EXPECT_EQ(LoadStageForPlay("s.stg4", 0, &destination_), 0);
        const auto boxes = plat::ShownBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.box);
        Pump();
        EXPECT_EQ(closeRequests, c.closes);
        EXPECT_EQ(EdStageWork.nWidth != 5, c.read);
        ExpectDestinationUntouched();
    }
}

TEST_F(StageLoad, EndValueIsNotTestedBefore174) {
    Bytes bytes = StageBytes(21, true, 173);
    SetLastU32(bytes, 1);
    WriteFile("old.stg4", bytes);
    EXPECT_EQ(CheckStageFileTerminator("old.stg4"), 1);
    EXPECT_EQ(LoadStageForPlay("old.stg4", 0, &destination_), 1);
    EXPECT_EQ(destination_.nWidth, 21);
    EXPECT_TRUE(plat::ShownBoxes().empty());
    // A file that cannot be opened passes: the load reports it.
    EXPECT_EQ(CheckStageFileTerminator("none.stg4"), 1);
    EXPECT_TRUE(plat::ShownBoxes().empty());
}

// A replay file, chosen in the stage chooser, holds the stage body and the replay after it:
// the end value is the body's, wherever the file ends.
TEST_F(StageLoad, ReplayFileEndValueIsTheStageBodys) {
    const Bytes tail = {1, 2, 3, 4, 5, 6, 7, 8};
    Bytes replay = StageBytes(22);
    replay.insert(replay.end(), tail.begin(), tail.end());
    WriteFile("r.rpl4_000", replay);
    EXPECT_EQ(LoadStageForPlay("r.rpl4_000", 0, &destination_), 1);
    EXPECT_EQ(destination_.nWidth, 22);
    EXPECT_TRUE(plat::ShownBoxes().empty());

    Bytes damaged = StageBytes(23);
    SetLastU32(damaged, 0);
    damaged.insert(damaged.end(), tail.begin(), tail.end());
    SetLastU32(damaged, STAGE_END_MARK);  // the file's last bytes are no proof
    WriteFile("d.RPL4_001", damaged);
    EXPECT_EQ(LoadStageForPlay("d.RPL4_001", 0, &destination_), 0);
    const auto boxes = plat::ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, Utf8(u8"ステージファイル d.RPL4_001 が破損しています！"));
    Pump();
    EXPECT_EQ(closeRequests, 1);
    EXPECT_EQ(destination_.nWidth, 22);
}

// The pipe stands for a stage file whose reading takes as long as the test wants.
class StageLoadPipe : public StageLoad {
protected:
    void SetUp() override {
        StageLoad::SetUp();
        host_ = dir_.path + "/p.stg4";
        ASSERT_EQ(::mkfifo(host_.c_str(), 0600), 0) << std::strerror(errno);
        plat::ClearPathCache();
        // The end-value test reads the version first: an old one, which has no end value.
        head_ = VersionOnly(150);
        body_ = StageBytes(150, true, 150);
    }
    static Bytes VersionOnly(std::uint32_t version) {
        Bytes b(4);
        std::memcpy(b.data(), &version, 4);
        return b;
    }

    std::string host_;
    Bytes head_;
    Bytes body_;
};

TEST_F(StageLoadPipe, CallerServesARequestSentWhileTheLoadRuns) {
    std::atomic<plat::LRESULT> answer{0};
    std::atomic<bool> fed{false};
    std::thread helper([&] {
        if (!Feed(host_, head_)) return;
        // The load thread now waits for the pipe: only the caller's pump can answer this.
        answer = plat::SendMessage(hWndMain, kPing, 0, 0);
        fed = Feed(host_, body_);
    });
    // Releases the helper's request should the caller not serve it, so the test ends.
    std::atomic<bool> done{false};
    std::thread watchdog([&] {
        if (!WaitUntil([&] { return done.load() || pingsServed > 0; })) plat::BeginClosing();
    });

    const int result = LoadStageForPlay("p.stg4", 0, &destination_);
    done = true;
    helper.join();
    watchdog.join();
    EXPECT_EQ(answer, 42);
    EXPECT_EQ(pingsServed, 1);
    EXPECT_TRUE(fed);
    EXPECT_EQ(result, 1);
    ExpectQueueEmpty();
    EXPECT_EQ(destination_.nWidth, 150);
}

TEST_F(StageLoadPipe, QuitMessageDuringAStuckLoadReturnsZeroAndRefusesLoadsUntilItEnds) {
    SetErrorLog(1, "err.log");
    WriteFile("other.stg4", StageBytes(60));
    const std::uint32_t caller = plat::GetCurrentThreadId();
    std::atomic<bool> quitPosted{false};
    Clock::time_point quitAt{};
    std::thread helper([&] {
        if (!Feed(host_, head_)) return;
        // The load thread now waits for a pipe that stays unfed until the caller returned.
        if (!WaitUntil([] { return thStageLoad.ThreadId() != 0; })) return;
        quitAt = Clock::now();
        quitPosted = plat::PostThreadMessage(caller, plat::WM_QUIT, 0, 0);
    });
    // Releases the caller should the helper not get as far as the quit, so the test ends.
    std::thread watchdog([&] {
        if (!WaitUntil([&] { return quitPosted.load(); })) {
            plat::PostThreadMessage(caller, plat::WM_QUIT, 0, 0);
        }
    });
    const int result = LoadStageForPlay("p.stg4", 0, &destination_);
    const auto returnedAt = Clock::now();
    helper.join();
    watchdog.join();

    ASSERT_TRUE(quitPosted);
    EXPECT_EQ(result, 0);
    // The forced end gives up on a thread stuck in its read within a few seconds.
    EXPECT_LT(returnedAt - quitAt, 5000ms);
    EXPECT_NE(ReadText("err.log").find("msg.message == WM_QUIT"), std::string::npos);
    EXPECT_TRUE(plat::ShownBoxes().empty());
    ExpectDestinationUntouched();
    // The quit message was taken by the load's pump.
    plat::MSG m;
    bool quitLeft = false;
    while (plat::PeekMessage(&m, nullptr, true)) quitLeft = quitLeft || m.message == plat::WM_QUIT;
    EXPECT_FALSE(quitLeft);

    // The abandoned thread may still write the load buffer: another load is refused
    // without touching it.
    EXPECT_TRUE(StageLoadThreadAlive());
    EdStageWork.nWidth = 5;
    EXPECT_EQ(LoadStageForPlay("other.stg4", 0, &destination_), 0);
    const auto boxes = plat::ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, Utf8(u8"ステージファイル other.stg4 の読み込みに失敗しました！"));
    EXPECT_EQ(EdStageWork.strPath, "p.stg4");
    EXPECT_EQ(EdStageWork.nWidth, 5);
    ExpectDestinationUntouched();

    // Fed at last, the thread ends, and loads are taken again; its late wake message is
    // not the end of the next load.
    EXPECT_TRUE(Feed(host_, body_));
    ASSERT_TRUE(WaitUntil([] { return !StageLoadThreadAlive(); }));
    plat::ClearShownBoxes();
    EXPECT_EQ(LoadStageForPlay("other.stg4", 0, &destination_), 1);
    EXPECT_EQ(destination_.nWidth, 60);
    EXPECT_TRUE(plat::ShownBoxes().empty());
    ExpectQueueEmpty();
}

}  // namespace
