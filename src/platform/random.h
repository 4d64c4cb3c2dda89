// The C runtime's pseudo-random generator, reproduced exactly, because replays depend on
// its sequence: state = state * 214013 + 2531011 (mod 2^32), result (state >> 16) & 0x7FFF.
// The state belongs to the calling thread and starts at 1 in every thread.
#pragma once

namespace plat {

void srand(unsigned seed);
int rand();
// The calling thread's generator state, for tests that compare the state of two runs; play
// never reads it.
unsigned RandState();

}  // namespace plat
