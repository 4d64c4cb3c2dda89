// Which of the two copies of a character-style sheet a draw uses. The DirectDraw back end
// keeps a second copy of each sheet (18 standard surfaces further) for stretched draws.
#pragma once

// The second copy of the standard sheet `index` when stretching asks for it (`other` 1) and
// it exists, or when the first copy has no surface (`other` 0); only in the DirectDraw back
// end, else the index itself.
int PickCharacterSheet(int index, int other);
