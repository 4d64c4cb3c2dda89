// The shared record layouts: one per class and version, serving every record of the class, so
// that a copy costs its members and nothing for its tables; copies stay independent records.
#include "data/record_layout.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "data/anime_records.h"
#include "data/block_record.h"
#include "data/chara_record.h"
#include "data/command_record.h"
#include "data/effect_records.h"
#include "data/flow_records.h"
#include "data/item_record.h"
#include "data/move_shot_records.h"
#include "data/option_record.h"
#include "data/stage_record.h"
#include "data/stage_sub_records.h"
#include "data/system_record.h"
#include "data/world_map.h"
#include "scene/game_progress.h"
#include "support/byte_builder.h"

namespace {

// --- Heap bytes held: every allocation of this test program carries its size in front of
// it; while a thread counts, its allocations and frees are tallied. ---

constexpr std::size_t kHeader = alignof(std::max_align_t);
thread_local bool t_counting = false;
thread_local long long t_heldBytes = 0;

void* CountedNew(std::size_t n) {
    void* block = std::malloc(n + kHeader);
    if (!block) throw std::bad_alloc();
    *static_cast<std::size_t*>(block) = n;
    if (t_counting) t_heldBytes += static_cast<long long>(n);
    return static_cast<char*>(block) + kHeader;
}

void CountedDelete(void* p) {
    if (!p) return;
    void* block = static_cast<char*>(p) - kHeader;
    if (t_counting) t_heldBytes -= static_cast<long long>(*static_cast<std::size_t*>(block));
    std::free(block);
}

// The heap bytes that what `make` builds still holds when it returns.
long long HeldBytes(const std::function<void()>& make) {
    t_heldBytes = 0;
    t_counting = true;
    make();
    t_counting = false;
    return t_heldBytes;
}

constexpr int kStraightMove = 2;  // 直線移動

cEdCommand StraightMove() {
    cEdCommand cmd;
    cmd.nCmdType = kStraightMove;
    cmd.nTime = 12;
    cEdMove::Create(cmd.spMove);
    cmd.spMove->nSpeed = 30;
    cmd.Normalize();
    return cmd;
}

// A make_shared block holds the object and the counts beside it.
constexpr long long kSharedBlockExtra = 64;

TEST(RecordCopyCost, ACopyHoldsItsMembersAndNoTables) {
    const cEdCommand command = StraightMove();
    cEdCondition condition;
    condition.nKind = 7;
    condition.nValue = 9;
    cEdKeyCondition keys;
    const long long commandMembers = static_cast<long long>(command.vecParam.Size()) * 4 +
                                     static_cast<long long>(sizeof(cEdMove)) + kSharedBlockExtra;
    // Each copy is walked once (saved) before it is measured: the walks bind its tables.
    std::optional<cEdCondition> c1, c2;
    std::optional<cEdKeyCondition> k1;
    std::optional<cEdCommand> m1, m2, m3;
    struct Case {
        const char* what;
        std::function<void()> make;
        long long limit;
    } cases[] = {
        {"condition, copy-constructed",
         [&] {
             c1.emplace(condition);
             c1->SaveToBytes();
         },
         0},
        {"condition, made and copy-assigned",
         [&] {
             c2.emplace();
             *c2 = condition;
             c2->SaveToBytes();
         },
         0},
        {"key condition, copy-constructed",
         [&] {
             k1.emplace(keys);
             k1->SaveToBytes();
         },
         static_cast<long long>(keys.vecKeyState.Size())},
        {"straight-move command, copy-constructed",
         [&] {
             m1.emplace(command);
             m1->SaveToBytes();
         },
         commandMembers},
        {"straight-move command, made and copy-assigned",
         [&] {
             m2.emplace();
             *m2 = command;
             m2->Reset();
             *m2 = command;
             m2->SaveToBytes();
         },
         commandMembers},
        {"copy of a copy",
         [&] {
             m3.emplace(*m1);
             m3->SaveToBytes();
         },
         commandMembers},
    };
    // Warm: the layouts these records use exist before anything is measured.
    for (Case& c : cases) c.make();
    for (Case& c : cases) {
        c1.reset(), c2.reset(), k1.reset(), m2.reset(), m3.reset();
        EXPECT_LE(HeldBytes(c.make), c.limit) << c.what;
    }
}

// --- Copies of every record class through their entries. ---

// Every registered member of the record gets bytes made from the seed.
void Scribble(SerialRecord& record, int seed) {
    record.Reset();
    for (int i = 0; i < record.FieldCount(); ++i) {
        const FieldEntry e = record.FieldAt(i);
        auto* p = static_cast<std::uint8_t*>(e.address);
        for (std::size_t k = 0; k < std::size_t{e.count} * e.size; ++k) {
            p[k] = static_cast<std::uint8_t>(seed * 7 + i + k % 3);
        }
    }
    for (int i = 0; i < record.StringCount(); ++i) {
        *record.StringAt(i).address = "s" + std::to_string(seed * 100 + i);
    }
}

// Every entry of the record names memory inside it.
template <class T>
void ExpectEntriesInside(T& record, const std::string& what) {
    const auto* begin = reinterpret_cast<const char*>(&record);
    const auto* end = begin + sizeof(T);
    for (int i = 0; i < record.FieldCount(); ++i) {
        const FieldEntry e = record.FieldAt(i);
        const auto* p = static_cast<const char*>(e.address);
        EXPECT_TRUE(p >= begin && p + std::size_t{e.count} * e.size <= end)
            << what << " field " << i << " " << e.name;
        EXPECT_EQ(e.owner, &record) << what;
    }
    for (int i = 0; i < record.StringCount(); ++i) {
        const auto* p = reinterpret_cast<const char*>(record.StringAt(i).address);
        EXPECT_TRUE(p >= begin && p + sizeof(std::string) <= end) << what << " string " << i;
    }
}

template <class T>
void ExpectCopiesIndependent(const char* what) {
    SCOPED_TRACE(what);
    T source;
    Scribble(source, 1);
    const std::vector<std::uint8_t> bytes = source.SaveToBytes();

    T constructed(source);
    EXPECT_EQ(constructed.SaveToBytes(), bytes);
    T assigned;
    assigned = source;
    EXPECT_EQ(assigned.SaveToBytes(), bytes);
    ExpectEntriesInside(constructed, what);
    ExpectEntriesInside(assigned, what);

    // Writing a copy through its own entries leaves the source as it was.
    Scribble(assigned, 2);
    Scribble(constructed, 3);
    EXPECT_EQ(source.SaveToBytes(), bytes);
    EXPECT_NE(assigned.SaveToBytes(), bytes);

    // A copy of a copy is a copy of what the copy holds now.
    const std::vector<std::uint8_t> changed = assigned.SaveToBytes();
    T second(assigned);
    EXPECT_EQ(second.SaveToBytes(), changed);
    T third;
    third = second;
    EXPECT_EQ(third.SaveToBytes(), changed);
    ExpectEntriesInside(third, what);

    // Each registration at every version names the record's own members.
    for (std::uint32_t version : {0u, 43u, 110u, 150u, 200u, 500u, 676u, 747u, 0xFFFFFFFFu}) {
        T fresh;
        fresh.Rebind(version);
        ExpectEntriesInside(fresh, std::string(what) + " at " + std::to_string(version));
    }
}

TEST(RecordCopies, CopiesOfEveryRecordClassAreIndependentRecords) {
    ExpectCopiesIndependent<cEdCondition>("condition");
    ExpectCopiesIndependent<cEdKeyCondition>("key condition");
    ExpectCopiesIndependent<cEdCommand>("command");
    ExpectCopiesIndependent<cEdFlow>("flow");
    ExpectCopiesIndependent<cEdMove>("move");
    ExpectCopiesIndependent<cEdShot>("shot");
    ExpectCopiesIndependent<cEdBlock>("block");
    ExpectCopiesIndependent<cEdChara>("chara");
    ExpectCopiesIndependent<cEdItem>("item");
    ExpectCopiesIndependent<cEdStage>("stage");
    ExpectCopiesIndependent<cEdAreaLimit>("area limit");
    ExpectCopiesIndependent<cEdBackground>("background");
    ExpectCopiesIndependent<cEdStageString>("stage string");
    ExpectCopiesIndependent<cEdMapEvent>("map event");
    ExpectCopiesIndependent<cEdMapStage>("map stage");
    ExpectCopiesIndependent<cEdMapNode>("map node");
    ExpectCopiesIndependent<cEdSystem>("system");
    ExpectCopiesIndependent<cEdAnimeSet>("anime set");
    ExpectCopiesIndependent<cEdCharaEffect>("chara effect");
    ExpectCopiesIndependent<OptionData>("options");
    ExpectCopiesIndependent<GameProgress>("progress");
}

// --- Layouts are shared. ---

TEST(RecordLayouts, RecordsOfOneClassShareOneLayoutAndCopiesMakeNone) {
    cEdCommand command = StraightMove();
    cEdCondition condition;
    command.SaveToBytes();
    condition.SaveToBytes();
    const std::size_t layouts = RecordLayoutCount();
    std::vector<cEdCommand> commands(50, command);
    std::vector<cEdCondition> conditions;
    for (int i = 0; i < 50; ++i) {
        conditions.push_back(condition);
        conditions.back().nValue = i;
        EXPECT_EQ(conditions.back().SaveToBytes().size(), condition.SaveToBytes().size());
        commands[i].Reset();
        commands[i] = command;
        EXPECT_EQ(commands[i].SaveToBytes(), command.SaveToBytes());
    }
    EXPECT_EQ(RecordLayoutCount(), layouts);
    // One layout, rebased: the same member at the same offset in each record. (The list
    // has moved its elements since they were saved: a moved record binds its tables again.)
    conditions[0].SaveToBytes();
    conditions[49].SaveToBytes();
    ASSERT_GT(condition.FieldCount(), 0);
    for (int i = 0; i < condition.FieldCount(); ++i) {
        const auto offset = [i](SerialRecord& r) {
            return static_cast<char*>(r.FieldAt(i).address) - reinterpret_cast<char*>(&r);
        };
        EXPECT_EQ(offset(conditions[0]), offset(conditions[49])) << i;
    }
}

// A class no other test uses: its layout is made by whichever thread comes first.
class FreshRecord : public SerialRecord {
public:
    FreshRecord() { Reset(); }
    void Rebind(std::uint32_t version) override {
        ClearTables();
        AddInt(&value, 1, "value");
        if (version >= 300) AddDouble(&ratio, 1, "ratio");
        AddString(&text, 1, "text");
    }
    std::int32_t value = 0;
    double ratio = 0;
    std::string text;
};

TEST(RecordLayouts, FirstUseOnManyThreadsAtOnceMakesOneLayout) {
    constexpr int kThreads = 8;
    std::atomic<int> ready{0};
    std::vector<std::vector<std::uint8_t>> saved(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            ready.fetch_add(1);
            while (ready.load() < kThreads) std::this_thread::yield();
            FreshRecord record;
            record.value = t;
            record.ratio = 0.5;
            record.text = "t";
            FreshRecord copy;
            copy = record;
            saved[t] = copy.SaveToBytes();
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) {
        auto expected = ByteBuilder().U32(747).U32(2).I32(t).F64(0.5).U32(1).Str("t").bytes;
        EXPECT_EQ(saved[t], expected) << t;
    }
}

TEST(RecordLayouts, FilesOfManyVersionsShareTheFewLayoutsTheyHave) {
    FreshRecord warm;
    for (std::uint32_t version : {299u, 300u}) {
        RecordReader reader =
            RecordReader::FromBytes(ByteBuilder().U32(version).U32(0).U32(0).bytes);
        warm.Load(reader);
    }
    const std::size_t layouts = RecordLayoutCount();
    // More versions than the bindings kept: those past the limit still read right.
    for (std::uint32_t version = 0; version < 20000; version += 1) {
        auto body = ByteBuilder().U32(version).U32(version >= 300 ? 2 : 1).I32(5);
        if (version >= 300) body.F64(1.5);
        body.U32(1).Str("x");
        RecordReader reader = RecordReader::FromBytes(body.bytes);
        FreshRecord record;
        record.Load(reader);
        ASSERT_FALSE(reader.StoppedEarly()) << version;
        ASSERT_EQ(record.value, 5) << version;
        ASSERT_EQ(record.ratio, version >= 300 ? 1.5 : 0) << version;
        ASSERT_EQ(record.text, "x") << version;
    }
    EXPECT_EQ(RecordLayoutCount(), layouts);
}

TEST(RecordLayouts, DirectRegistrationDescribesTheRecordUntilItsNextWalk) {
    FreshRecord record;
    record.Rebind(100);
    EXPECT_EQ(record.FieldCount(), 1);
    EXPECT_EQ(record.FieldBytes(), 4u);
    record.AddShort(&record.value, 1, "more");  // appended to what is registered
    ASSERT_EQ(record.FieldCount(), 2);
    EXPECT_STREQ(record.FieldAt(1).name, "more");
    EXPECT_EQ(record.FieldAt(1).address, &record.value);
    record.Reset();  // a walk binds the current layout again
    EXPECT_EQ(record.FieldCount(), 2);
    EXPECT_STREQ(record.FieldAt(1).name, "ratio");
    // Records destroyed with their registration open do not disturb later ones.
    for (int i = 0; i < 200; ++i) {
        FreshRecord passing;
        passing.Rebind(100);
    }
    FreshRecord after;
    after.Rebind(300);
    EXPECT_EQ(after.FieldCount(), 2);
}

}  // namespace

void* operator new(std::size_t n) {
    return CountedNew(n);
}
void* operator new[](std::size_t n) {
    return CountedNew(n);
}
void operator delete(void* p) noexcept {
    CountedDelete(p);
}
void operator delete[](void* p) noexcept {
    CountedDelete(p);
}
void operator delete(void* p, std::size_t) noexcept {
    CountedDelete(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    CountedDelete(p);
}
