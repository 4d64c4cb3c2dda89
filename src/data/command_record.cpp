#include "data/command_record.h"

#include <algorithm>
#include <limits>

#include "data/database.h"
#include "data/label_tables.h"
#include "data/record_visitor.h"

namespace {

// Command bodies hold at least their field and string counts, the move and shot flags and
// the flow and parameter counts.
constexpr std::size_t kCommandMinBytes = 24;

// Flow command types the data model looks at.
constexpr int kTypeCharge = 5;        // 突撃移動
constexpr int kTypeShot = 11;         // ショット
constexpr int kTypeSword = 12;        // ソード
constexpr int kTypeBlockSummon = 13;  // ブロック召喚
constexpr int kTypeCharaSummon = 14;  // キャラ召喚
constexpr int kTypeItemSummon = 15;   // アイテム召喚
constexpr int kTypeFlowOp = 16;       // フローの操作
constexpr int kTypeStageClear = 17;   // ステージクリア
constexpr int kTypeMessage = 19;      // メッセージ
constexpr int kTypeSetTarget = 21;    // ターゲットの設定
constexpr int kTypeStatusOp = 22;     // ステータスの操作
constexpr int kTypeStatusOp2 = 23;    // ステータスの操作2
constexpr int kTypeAnimeSet = 27;     // 基本アニメセットの変更
constexpr int kTypeAnime = 28;        // アニメの実行
constexpr int kTypeEffect = 29;       // エフェクトの実行
constexpr int kTypeCharaEffect = 30;  // キャラエフェクトの実行
constexpr int kTypeScrEffect = 31;    // 画面エフェクトの実行
constexpr int kTypePicture = 32;      // ピクチャーの表示
constexpr int kTypeSound = 35;        // 効果音の再生
constexpr int kTypeBgm = 36;          // BGMの再生
constexpr int kTypeGetItem = 25;      // アイテムの取得
// Item command types are flow types shifted by this much, from item type 2 on.
constexpr int kItemTypeShift = 15;
constexpr int kFirstSharedItemType = 2;

constexpr int kSwordTimeLimit = 9999;

int Count(const auto& table) {
    return static_cast<int>(table.Size());
}

bool InRange(int index, int count) {
    return index >= 0 && index < count;
}

// The parameter vector of a command being upgraded: a file may hold fewer parameters than
// its type had, so every access is bounded; a missing parameter never matches a test and
// is not written (the normalise step sizes the vector afterwards).
class Params {
public:
    explicit Params(CheckedVector<std::int32_t>& params) : m_Params(params) {}
    bool Has(int k) const { return k >= 0 && k < static_cast<int>(m_Params.Size()); }
    std::int32_t Get(int k) const { return Has(k) ? m_Params[k] : 0; }
    void Set(int k, std::int32_t v) {
        if (Has(k)) m_Params[k] = v;
    }
    void Add(int k, std::int32_t d) {
        if (Has(k))
            m_Params[k] = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_Params[k]) +
                                                    static_cast<std::uint32_t>(d));
    }
    void Resize(int n) { m_Params.resize(static_cast<std::size_t>(n)); }
    // Every parameter from k on moves up by one, the last one is lost, and Pk becomes v.
    void Insert(int k, std::int32_t v) {
        if (!Has(k)) return;
        for (int i = static_cast<int>(m_Params.Size()) - 1; i > k; --i)
            m_Params[i] = m_Params[i - 1];
        m_Params[k] = v;
    }

private:
    CheckedVector<std::int32_t>& m_Params;
};

// ステータスの操作: a status inserted at the threshold moves the later ones up, in the
// operated status and in the status operand.
void RaiseStatusOperands(Params& p, int threshold) {
    if (p.Get(0) == 0 && p.Get(3) != 2 && p.Has(4) && p.Get(4) >= threshold) p.Add(4, 1);
    if (p.Get(6) == 2 && p.Get(12) != 2 && p.Has(13) && p.Get(13) >= threshold) p.Add(13, 1);
}

}  // namespace

cEdCommand::cEdCommand() {
    Reset();
}

cEdCommand::cEdCommand(const cEdCommand& source) : SerialRecord(source) {
    CopyFrom(source);
}

cEdCommand& cEdCommand::operator=(const cEdCommand& source) {
    if (this == &source) return *this;
    SerialRecord::operator=(source);
    CopyFrom(source);
    return *this;
}

cEdCommand::~cEdCommand() = default;

void cEdCommand::CopyFrom(const cEdCommand& source) {
    nCmdKind = source.nCmdKind;
    nCmdType = source.nCmdType;
    vecParam = source.vecParam;
    strText = source.strText;
    nTime = source.nTime;
    nTimeInc = source.nTimeInc;
    bParallel = source.bParallel;
    nSound = source.nSound;
    bSoundOnScreen = source.bSoundOnScreen;
    nAnime = source.nAnime;
    vecFlow = source.vecFlow;
    // A command never shares its move or shot: the copy gets records of its own.
    spMove.reset();
    if (source.spMove) {
        cEdMove::Create(spMove);
        *spMove = *source.spMove;
    }
    spShot.reset();
    if (source.spShot) {
        cEdShot::Create(spShot);
        *spShot = *source.spShot;
    }
}

void cEdCommand::Rebind(std::uint32_t) {
    ClearTables();
    AddByte(&nCmdKind, 1, "nCmdKind");
    AddByte(&nCmdType, 1, "nCmdType");
    AddShort(&nTime, 1, "nTime");
    AddShort(&nTimeInc, 1, "nTimeInc");
    AddByte(&bParallel, 1, "bParallel");
    AddShort(&nSound, 1, "nSound");
    AddByte(&bSoundOnScreen, 1, "bSoundOnScreen");
    AddShort(&nAnime, 1, "nAnime");
    AddString(&strText, 1, "strText");
}

void cEdCommand::Reset() {
    SerialRecord::Reset();
    spMove.reset();
    spShot.reset();
    bSoundOnScreen = 1;
}

int cEdCommand::FlowType() const {
    if (nCmdKind == 0) return nCmdType;
    return nCmdType >= kFirstSharedItemType ? nCmdType + kItemTypeShift : -1;
}

void cEdCommand::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    if (reader.ReadU32() != 0) {
        cEdMove::Create(spMove);
        spMove->Load(reader);
    } else {
        spMove.reset();
    }
    if (reader.ReadU32() != 0) {
        cEdShot::Create(spShot);
        spShot->Load(reader);
    } else {
        spShot.reset();
    }
    LoadFlowList(vecFlow, reader);
    const std::uint32_t n = reader.ReadCount(4);
    vecParam.Clear();
    vecParam.resize(n);
    if (n > 0) reader.Read(vecParam.data(), std::size_t{n} * 4);
    if (reader.Version() < kCurrentDataVersion) UpgradeFrom(reader.Version());
    if (reader.Normalizes() && ShouldRemoveTestPlayFlows()) RemoveFlaggedFlows(vecFlow);
    NormalizeAfterLoad(reader);
}

void cEdCommand::UpgradeFrom(std::uint32_t version) {
    // Types are compared as the file stored them: from 24 on one lower than today's until
    // the renumbering at 734. Item commands follow the flow type they run; the flow-only
    // steps concern types that have no item command.
    const bool item = nCmdKind != 0;
    const int type = FlowType();
    Params p(vecParam);

    if (version < 145 && type == kTypeStageClear) p.Resize(9);
    if (version < 166 && type == 35) {  // music, today's BGMの再生
        p.Resize(2);
        p.Set(1, 1);
    }
    if (version < 168 && type == kTypeStatusOp) RaiseStatusOperands(p, 10);
    if (version < 189 && type == kTypeSetTarget) {
        p.Resize(15);
        p.Insert(2, 0);
    }
    if (version < 194 && type == 31) {  // picture
        p.Resize(15);
        p.Insert(6, 1);
    }
    if (version < 195 && (type == 29 || type == 30)) {  // character and screen effects
        p.Resize(3);
        p.Insert(1, 0);
    }
    if (version < 203) {
        if (!item && (type == kTypeCharaSummon || type == kTypeItemSummon)) p.Resize(0);
        if (!item && type == kTypeFlowOp) p.Resize(3);
        if (type == kTypeStatusOp) RaiseStatusOperands(p, 5);
    }
    if (version < 210 && type == kTypeStatusOp2 && p.Get(0) != 2 && p.Has(1) && p.Get(1) >= 6) {
        p.Add(1, 1);
    }
    if (version < 219 && type == 25 && p.Get(0) == 3 && p.Has(1)) {  // graphic change
        p.Set(1,
              static_cast<std::int32_t>(std::min(p.Get(1) + std::int64_t{1}, std::int64_t{119})));
    }
    if (version < 220 && !item && type == kTypeShot && spShot) {
        spShot->nGraphic = static_cast<std::int16_t>(std::min(spShot->nGraphic + 1, 119));
    }
    if (version < 514 && !item && type == kTypeCharge && spMove) {
        spMove->nAngle = 0;
        spMove->nAngleInc = 0;
        spMove->bMirrorAngle = 1;
    }
    if (version < 545 && type == kTypeMessage) {
        p.Resize(18);
        p.Set(10, 1);
    }
    if (version < 545 && type == 31) {
        p.Resize(15);
        p.Set(11, 0);
    }
    if (version < 546 && type == kTypeMessage && p.Has(10)) {
        p.Set(10, (p.Get(0) == 0 || p.Get(0) == 7) ? 1 : 0);
    }
    if (version < 547 && type == kTypeMessage) {
        p.Resize(18);
        p.Set(11, 0);
        p.Set(12, 0);
        p.Set(13, 0);
        p.Set(14, 1);
        p.Set(15, 0);
    }
    if (version < 547 && type == 31) {
        p.Resize(15);
        p.Set(12, 0);
        p.Set(13, 0);
    }
    if (version < 556 && type == kTypeMessage) {
        p.Resize(18);
        p.Set(16, 1);
    }
    if (version < 722 && type == kTypeStageClear && p.Has(0) && p.Get(0) >= 2) p.Add(0, 1);
    if (version < 723 && type == kTypeMessage) {
        p.Resize(18);
        p.Set(17, 0);
    }
    if (version < 723 && type == 31) {
        p.Resize(15);
        p.Set(14, 0);
    }
    if (version < 726 && type == 37) {  // arrange
        p.Resize(5);
        p.Set(0, 11);
    }
    if (version < 727 && type == 37 && p.Get(0) == 11 && p.Has(1)) {
        for (int threshold : {2, 3, 4, 14, 15, 16, 17}) {
            if (p.Get(1) >= threshold) p.Add(1, 1);
        }
    }
    int newType = type;
    if (version < 734 && type >= 24) {
        // 消滅 was inserted as type 24.
        newType = type + 1;
        if (newType == 38 && p.Has(0) && p.Get(0) >= 24) p.Add(0, 1);
    }
    if (version < 747 && newType == kTypeSetTarget) {
        p.Resize(15);
        p.Set(10, 0);
        p.Set(11, 1);
        p.Set(14, 0);
    }
    if (newType != type) {
        nCmdType = static_cast<std::int8_t>(item ? newType - kItemTypeShift : newType);
    }
}

void cEdCommand::Save(RecordWriter& writer) {
    NormalizeBeforeSave(writer);
    SerialRecord::Save(writer);
    if (spMove) {
        writer.WriteU32(1);
        spMove->Save(writer);
    } else {
        writer.WriteU32(0);
    }
    if (spShot) {
        writer.WriteU32(1);
        spShot->Save(writer);
    } else {
        writer.WriteU32(0);
    }
    SaveRecordList(writer, vecFlow);
    writer.WriteU32(vecParam.Size());
    if (!vecParam.empty()) writer.Write(vecParam.data(), vecParam.size() * 4);
}

void cEdCommand::Normalize() {
    const cEdDatabase& db = EdDatabase;
    if (!InRange(nAnime, Count(db.vecAnime))) nAnime = 0;
    if (!InRange(nSound, Count(db.vecSound))) nSound = 0;

    // A type outside its table has no parameter count to go by: its parameters are kept.
    const bool item = nCmdKind != 0;
    const int tableSize = item ? kItemCommandTypeCount : kCommandTypeCount;
    if (InRange(nCmdType, tableSize)) {
        const CommandTypeDesc& desc =
            item ? ItemCommandTypeTable[nCmdType] : CommandTypeTable[nCmdType];
        vecParam.resize(static_cast<std::size_t>(std::max(desc.nParamCount, 0)));
    }

    const int type = FlowType();
    if (!item && type == kTypeSword && spShot) {
        cEdShot& shot = *spShot;
        if (!InRange(shot.nHomingKind, Count(db.vecSwordType))) shot.nHomingKind = 0;
        // The swing lasts as long as its frames, and no longer than 9999 tenths.
        std::int64_t sum = 0;
        if (InRange(shot.nHomingKind, Count(db.vecSwordType))) {
            for (const cEdSwordFrame& frame : db.vecSwordType[shot.nHomingKind].vecFrame) {
                sum = std::min<std::int64_t>(sum + static_cast<std::int16_t>(frame.nTime),
                                             kSwordTimeLimit);
            }
        }
        nTime = static_cast<std::int16_t>(
            std::max<std::int64_t>(sum, std::numeric_limits<std::int16_t>::min()));
    }
    const auto checkFirst = [this](int count, std::int32_t replacement) {
        if (!vecParam.empty() && !InRange(vecParam[0], count)) vecParam[0] = replacement;
    };
    switch (type) {
        case kTypeAnimeSet:
            checkFirst(Count(db.vecAnimeSet), 0);
            break;
        case kTypeAnime:
            checkFirst(Count(db.vecAnime), 1);
            break;
        case kTypeEffect:
            checkFirst(Count(db.vecEffect), 1);
            break;
        case kTypeCharaEffect:
            checkFirst(Count(db.vecCharaEffect), 1);
            break;
        case kTypeScrEffect:
            checkFirst(Count(db.vecScrEffect), 1);
            break;
        case kTypePicture:
            checkFirst(Count(db.vecPicture), 1);
            break;
        case kTypeSound:
            checkFirst(Count(db.vecSound), 1);
            break;
        case kTypeBgm:
            checkFirst(Count(db.vecBgm), 1);
            break;
        default:
            break;
    }
    for (cEdFlow& flow : vecFlow) flow.Normalize();
}

void cEdCommand::CheckPaletteRefs(const PaletteRefSizes& common, const PaletteRefSizes& stage) {
    const int type = FlowType();
    if (spShot && (type == kTypeShot || type == kTypeSword) && nCmdKind == 0) {
        cEdShot& shot = *spShot;
        if (shot.nItemPalette == 1 || shot.nItemPalette == 2) {
            const PaletteRefSizes& palette = shot.nItemPalette == 1 ? common : stage;
            if (!InRange(shot.nItemIndex, palette.nItems)) {
                shot.nItemPalette = 0;
                shot.nItemIndex = 0;
            }
        }
    }
    if (spShot && nCmdKind == 0 &&
        (type == kTypeBlockSummon || type == kTypeCharaSummon || type == kTypeItemSummon)) {
        cEdShot& shot = *spShot;
        if (shot.nSummonPalette == 0 || shot.nSummonPalette == 1) {
            const PaletteRefSizes& palette = shot.nSummonPalette == 0 ? common : stage;
            const int count = type == kTypeBlockSummon   ? palette.nBlocks
                              : type == kTypeCharaSummon ? palette.nCharas
                                                         : palette.nItems;
            if (!InRange(shot.nSummonIndex, count)) shot.nSummonIndex = 1;
        }
    }
    if (type == kTypeGetItem && vecParam.Size() >= 2) {
        const std::int32_t which = vecParam[0];
        if (which == 0 || which == 1) {
            const PaletteRefSizes& palette = which == 0 ? common : stage;
            if (!InRange(vecParam[1], palette.nItems)) vecParam[1] = 1;
        }
    }
    for (cEdFlow& flow : vecFlow) flow.CheckPaletteRefs(common, stage);
}

void cEdCommand::Describe(RecordVisitor& visitor) {
    if (spMove) visitor.Child("spMove", *spMove);
    if (spShot) visitor.Child("spShot", *spShot);
    DescribeList(visitor, "vecFlow", vecFlow);
    visitor.Value("vecParam.count", vecParam.Size());
    for (int i = 0; i < static_cast<int>(vecParam.Size()); ++i) {
        visitor.Value(Format("vecParam[%d]", i), vecParam[i]);
    }
}

void LoadCommandList(CheckedVector<cEdCommand>& list, RecordReader& reader) {
    LoadRecordList(reader, list, kCommandMinBytes);
}
