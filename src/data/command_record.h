// The command record: one step of a flow, or one of the item commands an item runs on the
// hero. Its parameters are sized by the command-type tables; a move record and a shot record
// may come with it, each owned by this command alone (copies are deep); an item command that
// adds flows to the hero carries them in vecFlow.
#pragma once

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <string>

#include "base/checked_vector.h"
#include "data/flow_records.h"
#include "data/move_shot_records.h"
#include "data/serial_record.h"

// The sizes of one palette's lists that commands refer to by index.
struct PaletteRefSizes {
    int nBlocks = 0;
    int nCharas = 0;
    int nItems = 0;
};

class cEdCommand : public SerialRecord {
public:
    cEdCommand();
    // Deep copies: the copy gets move and shot records of its own.
    cEdCommand(const cEdCommand& source);
    cEdCommand& operator=(const cEdCommand& source);
    ~cEdCommand() override;

    void Rebind(std::uint32_t version) override;
    // Every registered field 0, the text empty, no move or shot, bSoundOnScreen 1.
    void Reset();
    void Load(RecordReader& reader) override;
    void Save(RecordWriter& writer) override;
    // Brings the parameter count and every database index into range, then the flows.
    void Normalize() override;
    void Describe(RecordVisitor& visitor) override;
    // Resets references to palette entries that do not exist.
    void CheckPaletteRefs(const PaletteRefSizes& common, const PaletteRefSizes& stage);

    // The flow command type this command runs: its own type for a flow command, type n + 15
    // for item type n from 2 on; -1 for the item commands of their own.
    int FlowType() const;

    std::int8_t nCmdKind = 0;  // 0 flow command, else item command
    std::int8_t nCmdType = 0;
    CheckedVector<std::int32_t> vecParam;
    std::string strText;
    boost::shared_ptr<cEdMove> spMove;
    boost::shared_ptr<cEdShot> spShot;
    std::int16_t nTime = 0;  // tenths of a second
    std::int16_t nTimeInc = 0;
    std::int8_t bParallel = 0;
    std::int16_t nSound = 0;
    std::int8_t bSoundOnScreen = 1;
    std::int16_t nAnime = 0;
    CheckedVector<cEdFlow> vecFlow;

private:
    void UpgradeFrom(std::uint32_t version);
    void CopyFrom(const cEdCommand& source);
};

void LoadCommandList(CheckedVector<cEdCommand>& list, RecordReader& reader);
