#include "data/LevelLoader.h"

#include <cctype>
#include <cstdio>

#include "data/DataPackage.h"
#include "data/TriangleStore.h"
#include "music/MusicLoader.h"
#include "music/MusicPlayer.h"
#include "render/DrawList.h"
#include "render/Renderer.h"
#include "render/TextureSlot.h"
#include "render/TriangleGroup.h"

namespace {

constexpr int MAX_NAME_LENGTH = 255;

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

// Reads one name token; a longer one is read to its end and reported too long.
bool ReadName(std::FILE* file, char (&name)[MAX_NAME_LENGTH + 1], bool* tooLong) {
    if (std::fscanf(file, "%255s", name) != 1) return false;
    *tooLong = false;
    int next = std::fgetc(file);
    while (next != EOF && !std::isspace(next)) {
        *tooLong = true;
        next = std::fgetc(file);
    }
    return true;
}

// Reads the texture names, extracting and loading the first 40. Returns the
// number of names read, or -1 when a name could not be read.
int LoadTextures(std::FILE* map, int textureCount, LevelProblems& problems) {
    if (textureCount > MAX_TEXTURES) problems.TooManyTextures(textureCount);
    for (int i = 0; i < textureCount; ++i) {
        char name[MAX_NAME_LENGTH + 1];
        bool tooLong = false;
        if (!ReadName(map, name, &tooLong)) {
            problems.Malformed("texture name", i);
            return -1;
        }
        if (i >= MAX_TEXTURES) continue;
        if (tooLong) {
            problems.NameTooLong(i);
            continue;
        }
        dataPackage.Extract(name);
        textureSlots[i].SetRenderer(&renderer);
        textureSlots[i].LoadFromFile(name);
    }
    return textureCount;
}

void ReadTriangles(std::FILE* map, int groups, LevelProblems& problems) {
    for (int g = 0; g < groups; ++g) TriangleStore[g][COUNT_RECORD].spare = 0;
    int triangleCount = 0;
    if (std::fscanf(map, "%d", &triangleCount) != 1) {
        problems.Malformed("the triangle count", 0);
        return;
    }
    for (int t = 0; t < triangleCount; ++t) {
        Vertex v[3];
        int g = 0;
        int read = std::fscanf(map, "%f %f %f %f %f %f %f %f %f %d %f %f %f %f %f %f", &v[0].x, &v[0].y, &v[0].z,
                               &v[1].x, &v[1].y, &v[1].z, &v[2].x, &v[2].y, &v[2].z, &g, &v[0].u, &v[0].v,
                               &v[1].u, &v[1].v, &v[2].u, &v[2].v);
        if (read != 16) {
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

bool LoadLevel() {
    dataPackage.Extract("SOUND.WAV");
    std::FILE* map = std::fopen("MAP.MBM", "r");
    if (map == nullptr) {
        dataPackage.Close();
        return false;
    }
    LevelProblems problems;
    int textureCount = 0;
    if (std::fscanf(map, "%d", &textureCount) != 1) {
        problems.Malformed("the texture count", 0);
        textureCount = 0;
    }
    int groups = textureCount < 0 ? 0 : (textureCount > MAX_TEXTURES ? MAX_TEXTURES : textureCount);
    if (LoadTextures(map, textureCount, problems) >= 0) ReadTriangles(map, groups, problems);
    else for (int g = 0; g < groups; ++g) TriangleStore[g][COUNT_RECORD].spare = 0;

    for (int g = 0; g < groups; ++g) {
        triangleGroups[g].SetRenderer(&renderer);
        triangleGroups[g].Build(TriangleStore[g], TriangleStore[g][COUNT_RECORD].spare, &textureSlots[g]);
    }
    drawList.Fill(triangleGroups, groups);
    std::fclose(map);

    musicPlayer.Create(u"SOUND.WAV", &musicLoader);
    musicPlayer.SetRepeats(0);
    musicPlayer.Play();
    dataPackage.Close();
    return true;
}
