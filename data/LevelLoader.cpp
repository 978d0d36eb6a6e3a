#include "data/LevelLoader.h"

#include <cctype>
#include <cstdio>

#include "data/DataPackage.h"
#include "data/MapTextReader.h"
#include "data/StopRequest.h"
#include "data/TriangleStore.h"
#include "music/MusicLoader.h"
#include "music/MusicPlayer.h"
#include "render/DrawList.h"
#include "render/Renderer.h"
#include "render/TextureSlot.h"
#include "render/TriangleGroup.h"

namespace {

constexpr int MAX_NAME_LENGTH = MAX_TEXTURE_NAME;

// Static: the level file is read through a fixed buffer, not the heap.
MapTextReader mapReader;

// Reports each kind of problem once, at the first place it occurs.
class LevelProblems {
public:
    void TooManyTextures(int count) {
        if (!tooManyTextures_)
            std::fprintf(stderr, "orvik: MAP.MBM: %d textures named; only the first %d are loaded\n", count,
                         MAX_TEXTURES);
        tooManyTextures_ = true;
    }
    void NameTooLong(int index) {
        if (!nameTooLong_)
            std::fprintf(stderr, "orvik: MAP.MBM: texture name %d is longer than %d characters and is not used\n",
                         index, MAX_NAME_LENGTH);
        nameTooLong_ = true;
    }
    void BadTextureIndex(int triangle, int index) {
        if (!badIndex_)
            std::fprintf(stderr, "orvik: MAP.MBM: triangle %d uses texture %d, outside 0 to %d; such triangles are skipped\n",
                         triangle, index, MAX_TEXTURES - 1);
        badIndex_ = true;
    }
    void GroupFull(int triangle, int index) {
        if (!groupFull_)
            std::fprintf(stderr, "orvik: MAP.MBM: triangle %d is beyond %d triangles of texture %d; such triangles are dropped\n",
                         triangle, MAX_GROUP_TRIANGLES, index);
        groupFull_ = true;
    }
    void Malformed(const char* what, int index) {
        std::fprintf(stderr, "orvik: MAP.MBM: %s %d does not read; the level ends there\n", what, index);
    }

private:
    bool tooManyTextures_ = false;
    bool nameTooLong_ = false;
    bool badIndex_ = false;
    bool groupFull_ = false;
};

// Reads the texture names, extracting and loading the first 40. Returns the
// number of names read, -1 when a name could not be read, or -2 when loading
// stopped (an extraction failed or the user asked to stop).
int LoadTextures(MapTextReader& map, int textureCount, LevelProblems& problems) {
    if (textureCount > MAX_TEXTURES) problems.TooManyTextures(textureCount);
    for (int i = 0; i < textureCount; ++i) {
        if (i < MAX_TEXTURES && StopRequested()) return -2;
        char name[MAX_NAME_LENGTH + 1];
        bool tooLong = false;
        if (!ReadTextureName(map, name, &tooLong)) {
            problems.Malformed("texture name", i);
            return -1;
        }
        if (i >= MAX_TEXTURES) continue;
        if (tooLong) {
            problems.NameTooLong(i);
            continue;
        }
        dataPackage.Extract(name);
        if (dataPackage.failure != ExtractFailure::None) return -2;
        textureSlots[i].SetRenderer(&renderer);
        textureSlots[i].LoadFromFile(name);
    }
    return textureCount;
}

void ReadTriangles(MapTextReader& map, int groups, LevelProblems& problems) {
    for (int g = 0; g < groups; ++g) TriangleStore[g][COUNT_RECORD].spare = 0;
    int triangleCount = 0;
    if (map.ReadInt(&triangleCount) != 1) {
        problems.Malformed("the triangle count", 0);
        return;
    }
    for (int t = 0; t < triangleCount; ++t) {
        Vertex v[3];
        int g = 0;
        if (ReadTriangleText(map, v, &g) != 16) {
            problems.Malformed("triangle", t);
            return;
        }
        if (g < 0 || g >= MAX_TEXTURES) {
            problems.BadTextureIndex(t, g);
            continue;
        }
        int32_t c = TriangleStore[g][COUNT_RECORD].spare;
        if (c < 0 || c >= MAX_GROUP_TRIANGLES) {
            problems.GroupFull(t, g);
            continue;
        }
        // Only the vertices: record 3999 keeps the count in its spare word.
        for (int k = 0; k < 3; ++k) TriangleStore[g][c].vertex[k] = v[k];
        TriangleStore[g][COUNT_RECORD].spare = c + 1;
    }
}

}  // namespace

bool ReadTextureName(MapTextReader& map, char (&name)[MAX_TEXTURE_NAME + 1], bool* tooLong) {
    if (map.ReadWord(name, MAX_TEXTURE_NAME) != 1) return false;
    *tooLong = false;
    int next = map.ReadChar();
    while (next != EOF && !std::isspace(next)) {
        *tooLong = true;
        next = map.ReadChar();
    }
    return true;
}

int ReadTriangleText(MapTextReader& map, Vertex v[3], int* textureIndex) {
    // The order of "%f %f %f %f %f %f %f %f %f %d %f %f %f %f %f %f": the
    // three positions, the texture index, the three texture coordinates.
    float* positions[9] = {&v[0].x, &v[0].y, &v[0].z, &v[1].x, &v[1].y, &v[1].z, &v[2].x, &v[2].y, &v[2].z};
    float* coordinates[6] = {&v[0].u, &v[0].v, &v[1].u, &v[1].v, &v[2].u, &v[2].v};
    int read = 0;
    int result = 1;
    for (int i = 0; i < 9 && result == 1; ++i) read += (result = map.ReadFloat(positions[i])) == 1;
    if (result == 1) read += (result = map.ReadInt(textureIndex)) == 1;
    for (int i = 0; i < 6 && result == 1; ++i) read += (result = map.ReadFloat(coordinates[i])) == 1;
    // Like fscanf: EOF only when the file ended before the first value.
    return result == EOF && read == 0 ? EOF : read;
}

LevelResult LoadLevel() {
    dataPackage.Extract("SOUND.WAV");
    if (dataPackage.failure != ExtractFailure::None) {
        dataPackage.Close();
        return LevelResult::ExtractFailed;
    }
    MapTextReader& map = mapReader;
    if (!map.Open("MAP.MBM")) {
        dataPackage.Close();
        return LevelResult::MapUnreadable;
    }
    LevelProblems problems;
    int textureCount = 0;
    if (map.ReadInt(&textureCount) != 1) {
        problems.Malformed("the texture count", 0);
        textureCount = 0;
    }
    int groups = textureCount < 0 ? 0 : (textureCount > MAX_TEXTURES ? MAX_TEXTURES : textureCount);
    int names = LoadTextures(map, textureCount, problems);
    if (names == -2 || map.ReadFailed()) {
        map.Close();
        dataPackage.Close();
        if (dataPackage.failure != ExtractFailure::None) return LevelResult::ExtractFailed;
        return names == -2 ? LevelResult::Stopped : LevelResult::MapUnreadable;
    }
    if (names >= 0) ReadTriangles(map, groups, problems);
    else for (int g = 0; g < groups; ++g) TriangleStore[g][COUNT_RECORD].spare = 0;
    if (map.ReadFailed()) {
        map.Close();
        dataPackage.Close();
        return LevelResult::MapUnreadable;
    }

    for (int g = 0; g < groups; ++g) {
        triangleGroups[g].SetRenderer(&renderer);
        triangleGroups[g].Build(TriangleStore[g], TriangleStore[g][COUNT_RECORD].spare, &textureSlots[g]);
    }
    drawList.Fill(triangleGroups, groups);
    map.Close();

    // Spelled out so that it is a WCHAR string with either width of WCHAR.
    static const WCHAR musicFileName[] = {'S', 'O', 'U', 'N', 'D', '.', 'W', 'A', 'V', '\0'};
    musicPlayer.Create(musicFileName, &musicLoader);
    musicPlayer.SetRepeats(0);
    musicPlayer.Play();
    dataPackage.Close();
    return LevelResult::Loaded;
}
