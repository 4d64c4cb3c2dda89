// A scroll axis set up by hand for the stage engine's tests: the view at the stage's first
// block (map dot 320, past the 10-block margin), the stage area and the scroll limits both
// from there to `areaHigh`, and the map's far edge at `extent`.
#pragma once

#include "stage/scroll_axis.h"

inline void SetTestAxis(ScrollAxis& a, int areaHigh, int extent) {
    a.m_dPos = 320;
    a.m_nMargin = 10;
    a.m_nLow = a.m_nAreaLow = 320;
    a.m_nHigh = a.m_nAreaHigh = areaHigh;
    a.m_nExtent = extent;
}
