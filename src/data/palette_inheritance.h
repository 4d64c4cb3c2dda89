// Palette inheritance: an entry of a block, character or item palette may name a source
// entry in the common palette (kind 1) or the stage palette (kind 2) and take the property
// groups whose flags it sets from it, when it is loaded.
//
// Which lists kinds 1 and 2 mean is resolved here. By default they are the common palette
// (EdCommonPalette) and the stage palette registered by the stage record (EdStageWork); a
// record that loads or normalises palettes of its own opens a PaletteScope so that its
// entries see the lists being read, on that thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/checked_vector.h"
#include "data/command_record.h"
#include "data/record_io.h"

class cEdBlock;
class cEdChara;
class cEdItem;

enum PaletteKind : int {
    PALETTE_NONE = 0,
    PALETTE_COMMON = 1,
    PALETTE_STAGE = 2,
};

// The three lists of one palette. A null list counts as empty.
struct PaletteLists {
    CheckedVector<cEdBlock>* pBlock = nullptr;
    CheckedVector<cEdChara>* pChara = nullptr;
    CheckedVector<cEdItem>* pItem = nullptr;

    // The list sizes that commands and blocks check their references against.
    PaletteRefSizes Sizes() const;
};

// The lists kinds 1 and 2 stand for on this thread now.
const PaletteLists& CommonPaletteLists();
const PaletteLists& StagePaletteLists();
// Kind 1 or 2; null for another kind.
const PaletteLists* PaletteListsOfKind(int kind);

// The stage record registers the palettes of EdStageWork here once (at start-up, before any
// palette is read). Until then kind 2 means a palette of one default entry per list, which
// is what EdStageWork holds before a stage is loaded. The first registration holds; a later
// one is ignored with a report-log line.
void RegisterStagePalette(const PaletteLists& lists);

// While alive, kinds 1 and 2 mean the given lists on this thread (scopes nest).
class PaletteScope {
public:
    PaletteScope(const PaletteLists& common, const PaletteLists& stage);
    ~PaletteScope();
    PaletteScope(const PaletteScope&) = delete;
    PaletteScope& operator=(const PaletteScope&) = delete;

private:
    const PaletteLists* m_pPrevCommon;
    const PaletteLists* m_pPrevStage;
    PaletteLists m_Common;
    PaletteLists m_Stage;
};

// Every entry that inherits a list or a string gets a copy of its own, so one large source
// and many small entries naming it would make a file take memory growing with the product
// of the two. While a budget is open on a thread, each such copy is charged with the size of
// what it copies, in elements: one per record (conditions, flows, key conditions, commands
// and their nested flows, counted through every level), one per parameter or key state and
// one per string byte. A copy that does not fit spends the budget: from then on no list or
// string is inherited (the entry keeps its own) while numbers still are, and one report-log
// line says so. Without a budget, copies are not limited.
class InheritanceBudget {
public:
    // A saved entry holds the lists and names it inherited in full, each element taking at
    // least 8 bytes of the file, so re-reading a file makes fewer copies than one element
    // per byte; the floor leaves room for sources that grew after an inheriting file was
    // saved. An element costs up to about a kilobyte of memory (a record and its tables).
    static constexpr std::size_t kMinElements = std::size_t{1} << 16;
    static constexpr std::size_t kElementsPerFileByte = 1;

    // Opens a budget sized from the reader's file, max(kMinElements, kElementsPerFileByte
    // per byte); a budget already open on this thread is left to cover the whole file and
    // this one does nothing.
    explicit InheritanceBudget(const RecordReader& reader);
    // The same with the given number of elements.
    explicit InheritanceBudget(std::size_t elements);
    ~InheritanceBudget();
    InheritanceBudget(const InheritanceBudget&) = delete;
    InheritanceBudget& operator=(const InheritanceBudget&) = delete;

    // The elements left in the budget open on this thread; SIZE_MAX without one.
    static std::size_t Left();

    // The inherited copies of a list or a string, charged to the open budget.
    template <class T>
    static void Copy(CheckedVector<T>& entry, const CheckedVector<T>& source);
    static void Copy(std::string& entry, const std::string& source);

private:
    // Charges the elements; false, the budget spent and the line logged when they do not
    // fit. Spent() is checked first, so a spent budget costs no walk over the source.
    static bool Spent();
    static bool Charge(std::size_t elements);

    bool m_bOpened = false;
    bool m_bSpent = false;
    std::size_t m_nLeft = 0;
    std::size_t m_nSize = 0;
};

// The elements a copy of the record makes (see InheritanceBudget).
std::size_t CopyElements(const cEdCondition& condition);
std::size_t CopyElements(const cEdKeyCondition& key);
std::size_t CopyElements(const cEdFlow& flow);
std::size_t CopyElements(const cEdCommand& command);

template <class T>
void InheritanceBudget::Copy(CheckedVector<T>& entry, const CheckedVector<T>& source) {
    // An empty source frees memory: always copied.
    if (!source.empty()) {
        if (Spent()) return;
        std::size_t elements = 0;
        for (const T& record : source) elements += CopyElements(record);
        if (!Charge(elements)) return;
    }
    entry.Assign(source);
}

// The group copies: for each flag i below both the flag count and the type's group count,
// a non-zero flag copies group i of the property-group table from the source.
void CopyInheritedGroups(cEdBlock& entry, const cEdBlock& source);
void CopyInheritedGroups(cEdChara& entry, const cEdChara& source);
void CopyInheritedGroups(cEdItem& entry, const cEdItem& source);

// One group copy, for the tests of the table (a group outside the table copies nothing).
void CopyBlockGroup(int group, cEdBlock& entry, const cEdBlock& source);
void CopyCharaGroup(int group, cEdChara& entry, const cEdChara& source);
void CopyItemGroup(int group, cEdItem& entry, const cEdItem& source);

// The inheritance of one entry (what the entries' ApplyInheritance runs): nothing without a
// kind or with index 0; a source index outside its list clears the kind (the index stays);
// another kind inherits from the entry itself, which changes nothing.
void ApplyInheritance(cEdBlock& entry);
void ApplyInheritance(cEdChara& entry);
void ApplyInheritance(cEdItem& entry);
