#include "data/palette_inheritance.h"

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "base/log.h"
#include "data/block_record.h"
#include "data/chara_record.h"
#include "data/common_palette.h"
#include "data/item_record.h"

namespace {

// The palettes kinds 1 and 2 mean on this thread while a scope is open.
thread_local const PaletteLists* tlCommon = nullptr;
thread_local const PaletteLists* tlStage = nullptr;

std::atomic<const PaletteLists*> registeredStage{nullptr};
std::atomic<bool> stageRegistrationTaken{false};
PaletteLists storedStage;  // written once, by the registration that took the slot

// The budget open on this thread (the outermost one opened).
thread_local InheritanceBudget* tlBudget = nullptr;

const PaletteLists& DefaultCommon() {
    static const PaletteLists lists{&EdCommonPalette.vecBlock, &EdCommonPalette.vecChara,
                                    &EdCommonPalette.vecItem};
    return lists;
}

// What the stage palette holds before a stage is loaded: one new entry per list.
const PaletteLists& UnloadedStage() {
    static CheckedVector<cEdBlock> blocks(1);
    static CheckedVector<cEdChara> charas(1);
    static CheckedVector<cEdItem> items(1);
    static const PaletteLists lists{&blocks, &charas, &items};
    return lists;
}

template <class T>
CheckedVector<T>* ListOf(const PaletteLists& lists);
template <>
CheckedVector<cEdBlock>* ListOf(const PaletteLists& lists) {
    return lists.pBlock;
}
template <>
CheckedVector<cEdChara>* ListOf(const PaletteLists& lists) {
    return lists.pChara;
}
template <>
CheckedVector<cEdItem>* ListOf(const PaletteLists& lists) {
    return lists.pItem;
}

template <class T>
void Inherit(T& entry) {
    if (entry.nInheritIndex == 0 || entry.nInheritKind == 0) return;
    const PaletteLists* lists = PaletteListsOfKind(entry.nInheritKind);
    // Another kind names the entry itself as its source: nothing changes.
    if (!lists) return;
    CheckedVector<T>* list = ListOf<T>(*lists);
    const int count = list ? static_cast<int>(list->Size()) : 0;
    if (entry.nInheritIndex < 0 || entry.nInheritIndex >= count) {
        entry.nInheritKind = 0;
        return;
    }
    const T& source = (*list)[entry.nInheritIndex];
    if (&source == &entry) return;
    CopyInheritedGroups(entry, source);
}

std::size_t BudgetForFile(std::size_t fileBytes) {
    constexpr std::size_t perByte = InheritanceBudget::kElementsPerFileByte;
    if (fileBytes > SIZE_MAX / perByte) return SIZE_MAX;
    return std::max(InheritanceBudget::kMinElements, fileBytes * perByte);
}

}  // namespace

PaletteRefSizes PaletteLists::Sizes() const {
    PaletteRefSizes sizes;
    sizes.nBlocks = pBlock ? static_cast<int>(pBlock->Size()) : 0;
    sizes.nCharas = pChara ? static_cast<int>(pChara->Size()) : 0;
    sizes.nItems = pItem ? static_cast<int>(pItem->Size()) : 0;
    return sizes;
}

const PaletteLists& CommonPaletteLists() {
    return tlCommon ? *tlCommon : DefaultCommon();
}

const PaletteLists& StagePaletteLists() {
    if (tlStage) return *tlStage;
    const PaletteLists* registered = registeredStage.load(std::memory_order_acquire);
    return registered ? *registered : UnloadedStage();
}

const PaletteLists* PaletteListsOfKind(int kind) {
    if (kind == PALETTE_COMMON) return &CommonPaletteLists();
    if (kind == PALETTE_STAGE) return &StagePaletteLists();
    return nullptr;
}

void RegisterStagePalette(const PaletteLists& lists) {
    // Readers on other threads may already look at the registered lists: they are written
    // once, by the first caller only, and published after that.
    if (stageRegistrationTaken.exchange(true, std::memory_order_acq_rel)) {
        ReportLog("stage palette already registered: later registration ignored");
        return;
    }
    storedStage = lists;
    registeredStage.store(&storedStage, std::memory_order_release);
}

// InheritanceBudget

InheritanceBudget::InheritanceBudget(const RecordReader& reader)
    : InheritanceBudget(BudgetForFile(reader.Bytes().size())) {}

InheritanceBudget::InheritanceBudget(std::size_t elements) {
    if (tlBudget) return;
    m_bOpened = true;
    m_nLeft = elements;
    m_nSize = elements;
    tlBudget = this;
}

InheritanceBudget::~InheritanceBudget() {
    if (m_bOpened) tlBudget = nullptr;
}

std::size_t InheritanceBudget::Left() {
    return tlBudget ? tlBudget->m_nLeft : SIZE_MAX;
}

bool InheritanceBudget::Spent() {
    return tlBudget && tlBudget->m_bSpent;
}

bool InheritanceBudget::Charge(std::size_t elements) {
    InheritanceBudget* budget = tlBudget;
    if (!budget) return true;
    if (budget->m_bSpent) return false;
    if (elements <= budget->m_nLeft) {
        budget->m_nLeft -= elements;
        return true;
    }
    budget->m_bSpent = true;
    ReportLog(
        "palette inheritance: copies beyond %zu elements skipped (lists and names stay "
        "the entries' own)",
        budget->m_nSize);
    return false;
}

void InheritanceBudget::Copy(std::string& entry, const std::string& source) {
    if (!source.empty() && (Spent() || !Charge(source.size()))) return;
    entry = source;
}

std::size_t CopyElements(const cEdCondition&) {
    return 1;
}

std::size_t CopyElements(const cEdKeyCondition& key) {
    return 1 + key.vecKeyState.Size();
}

std::size_t CopyElements(const cEdFlow& flow) {
    std::size_t n = 1 + flow.strText.size() + flow.vecCondition.Size();
    for (const cEdKeyCondition& key : flow.vecKeyCondition) n += CopyElements(key);
    for (const cEdCommand& command : flow.vecCommand) n += CopyElements(command);
    return n;
}

std::size_t CopyElements(const cEdCommand& command) {
    std::size_t n = 1 + command.vecParam.Size() + command.strText.size();
    n += (command.spMove ? 1 : 0) + (command.spShot ? 1 : 0);
    for (const cEdFlow& flow : command.vecFlow) n += CopyElements(flow);
    return n;
}

PaletteScope::PaletteScope(const PaletteLists& common, const PaletteLists& stage)
    : m_pPrevCommon(tlCommon), m_pPrevStage(tlStage), m_Common(common), m_Stage(stage) {
    tlCommon = &m_Common;
    tlStage = &m_Stage;
}

PaletteScope::~PaletteScope() {
    tlCommon = m_pPrevCommon;
    tlStage = m_pPrevStage;
}

void ApplyInheritance(cEdBlock& entry) {
    Inherit(entry);
}
void ApplyInheritance(cEdChara& entry) {
    Inherit(entry);
}
void ApplyInheritance(cEdItem& entry) {
    Inherit(entry);
}
