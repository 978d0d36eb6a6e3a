// Reads MAP.MBM: extracts and loads every texture it names, sorts its triangles
// into the triangle store, builds one triangle group per texture, fills the
// draw list, starts the music and closes the data package.
#pragma once

// False when MAP.MBM cannot be opened; nothing is loaded then, but the data
// package is closed all the same.
bool LoadLevel();
