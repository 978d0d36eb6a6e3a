// Reads MAP.MBM: extracts and loads every texture it names, sorts its triangles
// into the triangle store, builds one triangle group per texture, fills the
// draw list, starts the music and closes the data package.
#pragma once

#include "render/TriangleRecord.h"

class MapTextReader;

enum class LevelResult {
    Loaded,
    MapUnreadable,   // MAP.MBM cannot be opened or read
    ExtractFailed,   // a member could not be extracted (dataPackage.failure says why)
    Stopped,         // the user asked to stop while the textures were loading
};

// Anything but Loaded stops the level part way, without the music; the data
// package is closed all the same.
LevelResult LoadLevel();

// Texture names longer than this are read to their end and not used.
constexpr int MAX_TEXTURE_NAME = 255;

// Reads one texture name ("%255s"); the rest of a longer token is taken too
// and *tooLong set. False when no name could be read.
bool ReadTextureName(MapTextReader& map, char (&name)[MAX_TEXTURE_NAME + 1], bool* tooLong);

// Reads one triangle's 16 values as fscanf with "%f %f %f %f %f %f %f %f %f
// %d %f %f %f %f %f %f" would; returns the number of values stored, or EOF
// when the text ended before the first.
int ReadTriangleText(MapTextReader& map, Vertex v[3], int* textureIndex);
