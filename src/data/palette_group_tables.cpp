// The property groups of palette inheritance: one copy operation per group and record type,
// in the order of the inheritance flags. Strings and lists are copied through the open
// inheritance budget, everything else by value.
#include <algorithm>
#include <array>

#include "data/block_record.h"
#include "data/chara_record.h"
#include "data/item_record.h"
#include "data/palette_inheritance.h"

namespace {

template <class T>
using GroupCopy = void (*)(T& entry, const T& source);

// Groups 0 and 1 of blocks and items copy the same members of both records.
template <class T>
void CopyName(T& e, const T& s) {
    InheritanceBudget::Copy(e.strName, s.strName);
}
template <class T>
void CopyConditions(T& e, const T& s) {
    InheritanceBudget::Copy(e.vecCondition, s.vecCondition);
    e.nCondMode = s.nCondMode;
    e.bCondLatch = s.bCondLatch;
}
template <class T>
void CopyGraphic(T& e, const T& s) {
    e.nGraphicSource = s.nGraphicSource;
    e.nGraphic = s.nGraphic;
    e.nPatternBase = s.nPatternBase;
}
template <class T>
void CopyEmblem(T& e, const T& s) {
    e.bEmblem = s.bEmblem;
    e.nEmblem = s.nEmblem;
}
template <class T>
void CopyHidden(T& e, const T& s) {
    e.bHidden = s.bHidden;
}

using B = cEdBlock;
constexpr std::array<GroupCopy<B>, B::kGroupCount> kBlockGroups = {
    &CopyName<B>,
    &CopyConditions<B>,
    &CopyGraphic<B>,
    [](B& e, const B& s) { e.nDrawLayer = s.nDrawLayer; },
    &CopyHidden<B>,
    &CopyEmblem<B>,
    [](B& e, const B& s) { e.nHitType = s.nHitType; },
    [](B& e, const B& s) { e.nExemptSide = s.nExemptSide; },
    [](B& e, const B& s) {
        e.nTouchEffect = s.nTouchEffect;
        e.nTouchParam = s.nTouchParam;
    },
    [](B& e, const B& s) {
        e.nItemPalette = s.nItemPalette;
        e.nItemIndex = s.nItemIndex;
    },
    [](B& e, const B& s) { e.bProtected = s.bProtected; },
};

using I = cEdItem;
constexpr std::array<GroupCopy<I>, I::kGroupCount> kItemGroups = {
    &CopyName<I>,
    &CopyConditions<I>,
    [](I& e, const I& s) { e.nField5 = s.nField5; },
    [](I& e, const I& s) { e.nField6 = s.nField6; },
    &CopyGraphic<I>,
    [](I& e, const I& s) { e.nField10 = s.nField10; },
    &CopyHidden<I>,
    &CopyEmblem<I>,
    [](I& e, const I& s) { e.nGiant = s.nGiant; },
    [](I& e, const I& s) { e.nTakeMode = s.nTakeMode; },
    [](I& e, const I& s) { e.bTakeEffect = s.bTakeEffect; },
    [](I& e, const I& s) { e.nTakeSound = s.nTakeSound; },
    [](I& e, const I& s) { InheritanceBudget::Copy(e.vecItemCommand, s.vecItemCommand); },
};

using C = cEdChara;
constexpr std::array<GroupCopy<C>, C::kGroupCount> kCharaGroups = {
    &CopyName<C>,
    [](C& e, const C& s) {
        e.nControl = s.nControl;
        e.nPlayer = s.nPlayer;
    },
    [](C& e, const C& s) { e.nSide = s.nSide; },
    [](C& e, const C& s) { e.nCharaId = s.nCharaId; },
    &CopyConditions<C>,
    [](C& e, const C& s) { e.nFacing = s.nFacing; },
    [](C& e, const C& s) { e.nClones = s.nClones; },
    [](C& e, const C& s) {
        e.nPlaceOffsetX = s.nPlaceOffsetX;
        e.nPlaceStepX = s.nPlaceStepX;
        e.bPlaceMirrorX = s.bPlaceMirrorX;
    },
    [](C& e, const C& s) {
        e.nPlaceOffsetY = s.nPlaceOffsetY;
        e.nPlaceStepY = s.nPlaceStepY;
        e.bPlaceMirrorY = s.bPlaceMirrorY;
    },
    &CopyGraphic<C>,
    [](C& e, const C& s) { e.nAnimeSet = s.nAnimeSet; },
    [](C& e, const C& s) { e.nZ = s.nZ; },
    [](C& e, const C& s) { e.bTransparent = s.bTransparent; },
    [](C& e, const C& s) {  // 13
        e.nCharaEffect1 = s.nCharaEffect1;
        e.nCharaEffect1Mode = s.nCharaEffect1Mode;
        e.nCharaEffect1Param = s.nCharaEffect1Param;
    },
    [](C& e, const C& s) {
        e.nCharaEffect2 = s.nCharaEffect2;
        e.nCharaEffect2Mode = s.nCharaEffect2Mode;
    },
    &CopyEmblem<C>,
    [](C& e, const C& s) { e.bFixedFacing = s.bFixedFacing; },
    [](C& e, const C& s) { e.nBlockCollision = s.nBlockCollision; },
    [](C& e, const C& s) {
        e.nShotCollision = s.nShotCollision;
        e.nInvincibleColour = s.nInvincibleColour;
    },
    [](C& e, const C& s) { e.b32Mode = s.b32Mode; },  // 19
    [](C& e, const C& s) { e.nGiant = s.nGiant; },
    [](C& e, const C& s) { e.bScrollSync = s.bScrollSync; },
    [](C& e, const C& s) {
        e.nSightShape = s.nSightShape;
        e.nSight = s.nSight;
    },
    [](C& e, const C& s) { e.nMaxHp = s.nMaxHp; },
    [](C& e, const C& s) { e.nMaxSp = s.nMaxSp; },
    [](C& e, const C& s) { e.nHitBoxKind = s.nHitBoxKind; },  // 25
    [](C& e, const C& s) { e.nBodyPower = s.nBodyPower; },
    [](C& e, const C& s) { e.nBodyImpact = s.nBodyImpact; },
    [](C& e, const C& s) { e.nEffect = s.nEffect; },
    [](C& e, const C& s) { e.nDefense = s.nDefense; },
    [](C& e, const C& s) { e.nImpactResist = s.nImpactResist; },  // 30
    [](C& e, const C& s) { e.nStopping = s.nStopping; },
    [](C& e, const C& s) {
        e.nActiveArea = s.nActiveArea;
        e.nActiveMode = s.nActiveMode;
    },
    [](C& e, const C& s) {
        e.nActiveGroup = s.nActiveGroup;
        e.bActiveGroup = s.bActiveGroup;
    },
    [](C& e, const C& s) { e.nScore = s.nScore; },
    [](C& e, const C& s) { e.nField49 = s.nField49; },  // 35
    [](C& e, const C& s) { InheritanceBudget::Copy(e.vecFlow, s.vecFlow); },
};

template <class T, std::size_t N>
void CopyGroup(const std::array<GroupCopy<T>, N>& table, int group, T& entry, const T& source) {
    if (group >= 0 && static_cast<std::size_t>(group) < N) table[group](entry, source);
}

template <class T, std::size_t N>
void CopyFlagged(const std::array<GroupCopy<T>, N>& table, T& entry, const T& source) {
    const int n = std::min(static_cast<int>(entry.vecInherit.Size()), static_cast<int>(N));
    for (int i = 0; i < n; ++i) {
        if (entry.vecInherit[i] != 0) table[i](entry, source);
    }
}

}  // namespace

void CopyBlockGroup(int group, cEdBlock& entry, const cEdBlock& source) {
    CopyGroup(kBlockGroups, group, entry, source);
}
void CopyCharaGroup(int group, cEdChara& entry, const cEdChara& source) {
    CopyGroup(kCharaGroups, group, entry, source);
}
void CopyItemGroup(int group, cEdItem& entry, const cEdItem& source) {
    CopyGroup(kItemGroups, group, entry, source);
}

void CopyInheritedGroups(cEdBlock& entry, const cEdBlock& source) {
    CopyFlagged(kBlockGroups, entry, source);
}
void CopyInheritedGroups(cEdChara& entry, const cEdChara& source) {
    CopyFlagged(kCharaGroups, entry, source);
}
void CopyInheritedGroups(cEdItem& entry, const cEdItem& source) {
    CopyFlagged(kItemGroups, entry, source);
}
