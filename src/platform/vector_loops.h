#pragma once

namespace plat {

// The pixel loops are compiled twice, for the baseline instruction set and for AVX2, with the
// same integer arithmetic, so the pixels do not depend on the machine. True when the AVX2
// forms run: the processor has AVX2 and no test asked for the baseline.
bool UseAvx2Loops();

// Test seam: run the baseline form of every pixel loop even where AVX2 is there, so that
// both forms are held to the same pixels.
void UseBaselineLoops(bool baseline);

}  // namespace plat
