// The effect records of three database tables, and the constant descriptions of the
// character-effect and screen-effect parameters.
//
// Effect.dat holds the animation effects (エフェクト): small animations whose pattern cells
// lie side by side in one row of their own image. CharaEffect.dat (キャラエフェクト) and
// ScrEffect.dat (画面エフェクト) hold distortions of one character's drawing or of the whole
// picture: a kind and five parameters whose meaning the kind gives; parameter 0 is always
// the run time in tenths of a second. Entry 0 of all three tables stands for "none".
#pragma once

#include <cstdint>
#include <string>

#include "base/checked_vector.h"
#include "data/label_tables.h"
#include "data/param_desc.h"
#include "data/serial_record.h"

class cEdEffectFrame : public SerialRecord {
public:
    cEdEffectFrame();
    cEdEffectFrame(const cEdEffectFrame&) = default;
    cEdEffectFrame& operator=(const cEdEffectFrame&) = default;
    void Rebind(std::uint32_t version) override;

    std::int32_t nPattern = 0;  // the cell shown
    std::int32_t nTime = 1;     // tenths of a second
};

class cEdEffect : public SerialRecord {
public:
    cEdEffect();
    cEdEffect(const cEdEffect&) = default;
    cEdEffect& operator=(const cEdEffect&) = default;
    void Rebind(std::uint32_t version) override;
    void Load(RecordReader& reader) override;
    void Save(RecordWriter& writer) override;
    void Describe(RecordVisitor& visitor) override;
    // The numbers only: the frame list is left as it is.
    void SetDefaults();

    std::string strName;
    std::int32_t nEditValue = 0;  // the editor's; stored from version 151 on
    std::string strFile;          // the image, a path as stored
    std::int32_t nPatWidth = 32;  // one cell, in dots
    std::int32_t nPatHeight = 32;
    std::int32_t bScaleWithChara = 0;  // 1: grows with the owning character's size factor
    // May be empty: such an effect ends at once.
    CheckedVector<cEdEffectFrame> vecFrame;
};

inline constexpr int kEffectParamCount = 5;

// The members and the layout that character and screen effects share.
class cEdEffectParams : public SerialRecord {
public:
    cEdEffectParams();
    cEdEffectParams(const cEdEffectParams&) = default;
    cEdEffectParams& operator=(const cEdEffectParams&) = default;
    void Rebind(std::uint32_t version) override;

    std::string strName;
    // 0 none; 1 to 16 (character) or 1 to 13 (screen): label index + 1. Not range-checked:
    // a kind the program does not know prepares nothing.
    std::int32_t nKind = 1;
    std::int32_t anParam[kEffectParamCount] = {};
};

class cEdCharaEffect : public cEdEffectParams {
public:
    // Files older than 511 lack the roughness of the wave and circle kinds.
    void Load(RecordReader& reader) override;
};

class cEdScrEffect : public cEdEffectParams {
public:
    void Load(RecordReader& reader) override;
};

inline constexpr int kCharaEffectKinds = 17;   // 0 and 1 to 16
inline constexpr int kScreenEffectKinds = 14;  // 0 and 1 to 13

// Row = kind, column = parameter. Row 0 and the parameters a kind does not use are empty
// labels with 0, 0, 0. The editor shows them; the player reads the defaults only to upgrade
// records of old files.
extern const ParamDesc CharaEffectParamTable[kCharaEffectKinds][kEffectParamCount];
extern const ParamDesc ScreenEffectParamTable[kScreenEffectKinds][kEffectParamCount];

// Index = kind − 1; closed by an empty label.
extern const Label CharaEffectLabels[kCharaEffectKinds];
extern const Label ScreenEffectLabels[kScreenEffectKinds];
// The editor's speed notes, index = kind − 1: "Direct3D有効時：" and the note with Direct3D,
// a line feed, "Direct3D無効時：" and the note without; closed by an empty label.
extern const Label CharaEffectNotes[kCharaEffectKinds];
extern const Label ScreenEffectNotes[kScreenEffectKinds];
