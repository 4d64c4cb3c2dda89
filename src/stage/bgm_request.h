// The stage's music, asked of the window thread: set-up starts the stage's tune and the
// music command changes it while the stage runs.
#pragma once

#include <cstdint>

// Music record `music` plays from its start, even when it is already playing (0 stops the
// music); the loop setting is kept in the progress record for it. Returns once the window
// thread has served the request.
void RequestBgm(std::int32_t music, std::int32_t loop);
