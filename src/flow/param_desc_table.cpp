#include "flow/param_desc_table.h"

#include "data/label_tables.h"

CheckedVector<CheckedVector<cParamRange>> cParamDescTable;

void BuildParamDescTable() {
    cParamDescTable.resize(kCommandTypeCount);
    for (const ArrangeParamList& list : ArrangeParamLists) {
        CheckedVector<cParamRange>& ranges = cParamDescTable[list.nType];
        ranges.resize(list.ranges.size());
        int index = 0;
        for (const cParamRange& range : list.ranges) {
            cParamRange& entry = ranges[index++];
            entry.strLabel = range.strLabel;
            entry.nMin = range.nMin;
            entry.nMax = range.nMax;
        }
    }
}
