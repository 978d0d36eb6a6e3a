#include "tools/orvik-level/MapCheck.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "data/LevelLoader.h"
#include "data/MapTextReader.h"
#include "platform/files/RegularFile.h"
#include "render/TriangleRecord.h"
#include "tools/orvik-level/TextPlaces.h"

namespace {

constexpr const char* FILE_NAME = "MAP.MBM";

// MapTextReader holds a 64 KiB buffer: not on the stack.
MapTextReader mapReader;

const char* ValueName(int value) {
    static const char* const names[16] = {
        "vertex 1 x", "vertex 1 y", "vertex 1 z", "vertex 2 x", "vertex 2 y", "vertex 2 z",
        "vertex 3 x", "vertex 3 y", "vertex 3 z", "the texture index", "vertex 1 u", "vertex 1 v",
        "vertex 2 u", "vertex 2 v", "vertex 3 u", "vertex 3 v"};
    return value >= 0 && value < 16 ? names[value] : "a value";
}

bool HasArea(const Vertex v[3]) {
    double a[3] = {double(v[1].x) - v[0].x, double(v[1].y) - v[0].y, double(v[1].z) - v[0].z};
    double b[3] = {double(v[2].x) - v[0].x, double(v[2].y) - v[0].y, double(v[2].z) - v[0].z};
    double c[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    return c[0] != 0.0 || c[1] != 0.0 || c[2] != 0.0;
}

bool Finite(const Vertex v[3]) {
    for (int k = 0; k < 3; ++k)
        if (!std::isfinite(v[k].x) || !std::isfinite(v[k].y) || !std::isfinite(v[k].z) || !std::isfinite(v[k].u) ||
            !std::isfinite(v[k].v))
            return false;
    return true;
}

class MapReading {
public:
    MapReading(MapTextReader& map, const TextPlaces& places, LevelSource* source, Findings* findings,
               LevelSummary* summary)
        : map_(map), places_(places), source_(source), findings_(findings), summary_(summary) {}

    void Run() {
        MapSummary& m = summary_->map;
        m.read = true;
        uint64_t at = map_.Offset();
        int textureCount = 0;
        if (map_.ReadInt(&textureCount) != 1) {
            findings_->Error(places_.TokenAt(at), "the texture count does not read; the level has no textures and "
                                                  "ends there, with no triangles");
            return;
        }
        m.textureCount = textureCount;
        if (textureCount > MAX_TEXTURES)
            findings_->Error(places_.TokenAt(at), std::to_string(textureCount) + " textures named; the viewer loads only the first " +
                                                      std::to_string(MAX_TEXTURES));
        if (textureCount < 0)
            findings_->Error(places_.TokenAt(at), "a negative texture count: no texture is loaded and no triangle drawn");
        groups_ = textureCount < 0 ? 0 : (textureCount > MAX_TEXTURES ? MAX_TEXTURES : textureCount);
        if (!ReadNames(textureCount)) return;
        ReadTriangles();
        if (map_.ReadFailed()) {
            Place whole;
            whole.file = FILE_NAME;
            findings_->Error(whole, "reading the file failed part way");
        }
    }

private:
    bool ReadNames(int textureCount) {
        for (int i = 0; i < textureCount; ++i) {
            uint64_t at = map_.Offset();
            char name[MAX_TEXTURE_NAME + 1];
            bool tooLong = false;
            if (!ReadTextureName(map_, name, &tooLong)) {
                findings_->Error(places_.TokenAt(at), "the file ends before texture name " + std::to_string(i) +
                                                          "; the level ends there, with no triangles");
                return false;
            }
            Place place = places_.TokenAt(at);
            if (i >= MAX_TEXTURES) {
                findings_->Error(place, "texture " + std::to_string(i) + " is after the 40th and is never loaded",
                                 "textures after the 40th");
                continue;
            }
            TextureSummary texture;
            texture.index = i;
            texture.name = name;
            if (tooLong) {
                texture.name = std::string(name) + "...";
                texture.problem = "name longer than 255 characters";
                findings_->Error(place, "texture name " + std::to_string(i) +
                                            " is longer than 255 characters; the viewer does not use it and its "
                                            "triangles are drawn untextured");
            } else {
                CheckName(place, &texture);
            }
            summary_->textures.push_back(texture);
            places_by_texture_.push_back(place);
        }
        return true;
    }

    void CheckName(const Place& place, TextureSummary* texture) {
        const std::string& name = texture->name;
        std::string why = UnextractableReason(name);
        if (!why.empty()) {
            texture->problem = "never extracted";
            findings_->Error(place, "texture " + std::to_string(texture->index) + " \"" + name + "\": " + why +
                                        "; its triangles are drawn untextured");
            return;
        }
        if (source_->Find(name) != nullptr) {
            texture->present = true;
            return;
        }
        texture->problem = "missing";
        const LevelMember* other = source_->FindOtherCase(name);
        std::string where = source_->IsPackage() ? "the package holds no member " : "the directory holds no file ";
        std::string message = "texture " + std::to_string(texture->index) + ": " + where + name;
        if (other != nullptr)
            message += ", only " + other->name + " (letter case counts)";
        message += "; its triangles are drawn untextured";
        findings_->Error(place, message);
    }

    void ReadTriangles() {
        MapSummary& m = summary_->map;
        int counts[MAX_TEXTURES] = {};
        uint64_t at = map_.Offset();
        int triangleCount = 0;
        if (map_.ReadInt(&triangleCount) != 1) {
            findings_->Error(places_.TokenAt(at), "the triangle count does not read; the level ends there, with no triangles");
            return;
        }
        m.triangleCount = triangleCount;
        if (triangleCount < 0)
            findings_->Warning(places_.TokenAt(at), "a negative triangle count: no triangle is read");
        bool complete = true;
        for (int t = 0; t < triangleCount; ++t) {
            at = map_.Offset();
            Vertex v[3];
            int g = 0;
            int got = ReadTriangleText(map_, v, &g);
            if (got != 16) {
                uint64_t stop = map_.Offset();
                if (got == EOF || places_.TokenAt(stop).token == 0)
                    findings_->Error(places_.TokenAt(stop), "the file ends inside triangle " + std::to_string(t) + " of " +
                                                                std::to_string(triangleCount) +
                                                                "; the level ends there");
                else
                    findings_->Error(places_.TokenAt(stop), "triangle " + std::to_string(t) + ": " + ValueName(got) +
                                                                " does not read; the level ends there");
                complete = false;
                break;
            }
            Place indexPlace = places_.TokenAt(places_.TokenAfter(at, 9));
            if (g < 0 || g >= MAX_TEXTURES) {
                findings_->Error(indexPlace, "triangle " + std::to_string(t) + " uses texture " + std::to_string(g) +
                                                 ", outside 0 to 39: the viewer skips it",
                                 "texture indices outside 0 to 39");
                continue;
            }
            if (counts[g] >= MAX_GROUP_TRIANGLES) {
                findings_->Error(indexPlace, "triangle " + std::to_string(t) + " is beyond 4000 triangles of texture " +
                                                 std::to_string(g) + ": the viewer drops it",
                                 "more than 4000 triangles for one texture");
                continue;
            }
            ++counts[g];
            if (g >= groups_) {
                findings_->Error(indexPlace, "triangle " + std::to_string(t) + " uses texture " + std::to_string(g) +
                                                 " but the level names " + std::to_string(groups_ < 0 ? 0 : groups_) +
                                                 ": it is stored and never drawn",
                                 "triangles of a texture the level does not name");
                continue;
            }
            Place first = places_.TokenAt(at);
            if (!Finite(v)) {
                findings_->Warning(first, "triangle " + std::to_string(t) + " has an infinite or undefined value",
                                   "triangles with infinite or undefined values");
            } else if (!HasArea(v)) {
                findings_->Warning(first, "triangle " + std::to_string(t) + " has no area and shows nothing",
                                   "triangles with no area");
            }
            ++m.drawnTriangles;
            ++summary_->textures[g].triangles;
            for (int k = 0; k < 3; ++k) {
                const float p[3] = {v[k].x, v[k].y, v[k].z};
                if (std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2])) m.bounds.Add(p);
            }
        }
        if (!complete) return;  // textures after the end would only seem unused
        AfterLast();
        for (const TextureSummary& texture : summary_->textures)
            if (texture.triangles == 0 && texture.problem.empty())
                findings_->Warning(places_by_texture_[static_cast<size_t>(texture.index)],
                                   "texture " + std::to_string(texture.index) + " (" + texture.name +
                                       ") has no triangles");
    }

    void AfterLast() {
        Place rest = places_.TokenAt(map_.Offset());
        if (rest.token > 0)
            findings_->Warning(rest, "the file goes on after the last triangle the count announces; the viewer never "
                                     "reads the rest (is the triangle count too small?)");
    }

    MapTextReader& map_;
    const TextPlaces& places_;
    LevelSource* source_;
    Findings* findings_;
    LevelSummary* summary_;
    int groups_ = 0;
    std::vector<Place> places_by_texture_;
};

}  // namespace

void CheckMap(const std::string& path, LevelSource* source, Findings* findings, LevelSummary* summary) {
    Place whole;
    whole.file = FILE_NAME;
    std::string text;
    std::string error;
    std::FILE* file = OpenRegularFile(path.c_str(), "r");
    if (file != nullptr) {
        char buffer[65536];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
        std::fclose(file);
    }
    if (file == nullptr || !mapReader.Open(path.c_str())) {
        findings->Error(whole, std::string("cannot be read: ") + std::strerror(errno) + "; the viewer stops at start-up");
        return;
    }
    TextPlaces places(FILE_NAME, std::move(text));
    MapReading reading(mapReader, places, source, findings, summary);
    reading.Run();
    mapReader.Close();
}
