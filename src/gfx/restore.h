// Recovery from a lost display. Direct3D: the device is reset on the window thread and every
// surface of the surface list is made again in place (files reloaded, blank surfaces flagged
// lost for their owners to redraw). DirectDraw: lost surfaces are restored on the game thread
// and the video-memory ones reloaded from their files or flagged lost.
#pragma once

// Direct3D: 1 done, 0 not possible now (the next failed present asks again). DirectDraw: a
// logged refusal, 1.
int DDRestoreSurface();
// DirectDraw, once per frame: nothing unless the primary surface is lost. Always true.
bool DDRestore();
