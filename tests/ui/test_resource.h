// Bitmaps that only the toolkit's tests use (drawn by tests/ui/skins/ with the program's skin
// generator). Ids from 60000 up, clear of the program's own.
#pragma once

#define IDB_TEST_STRIP3 60001    // 100 x 20, three flat frames of 33 px and a stray last column
#define IDB_TEST_PROGRESS 60002  // 251 x 136, empty bar above, full bar below (bar 11 + 230)
#define IDB_TEST_OVERLAY 60003   // 213 x 27, a dialog title image
#define IDB_TEST_SKIN 60004      // 160 x 120, a page skin
#define IDB_TEST_FADER 60005     // 22 x 160, a fader's background (track 18..146)
#define IDB_TEST_THUMB 60006     // 4 thumbs of 18 x 10 side by side
