// The threads that run whole frames while the game thread is held inside its work: the
// pause thread for a wait (a blocking command, the extra-life notice) and the ranking thread
// for the ranking display. The game thread starts one and waits until it has ended, so the
// two never run at the same time.
#pragma once

#include <cstdint>

class cGameScene;

// The pause thread's body (argument: the scene): frames until the scene's WaitControl says
// the wait is over. 0 when the scene's close request was already set, else 1.
unsigned WaitLoopThread(void* scene);
// The ranking thread's body: the stage's tables over the play screen until button 1;
// button 4 switches the table when the play mode enables two or more. Returns 1.
unsigned RankingThread(void* scene);

// The starters' handshake: the body on the thread object, message 0x8000 posted to it until
// its queue takes it (unless `post` is 0), then the wait for its end. False when the thread
// could not be created (logged): the starter goes on as after the wait.
bool RunPauseThread(cGameScene& scene, int post);
bool RunRankingThread(cGameScene& scene);
