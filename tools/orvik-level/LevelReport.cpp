#include "tools/orvik-level/LevelReport.h"

#include <string>

#include "tools/orvik-level/JsonText.h"

namespace {

std::string Size(unsigned w, unsigned h) { return std::to_string(w) + " x " + std::to_string(h); }

std::string Levels(unsigned n) { return std::to_string(n) + (n == 1 ? " level" : " levels"); }

// One line about a texture: the file, then the device's view of it.
std::string TextureLine(const TextureSummary& t) {
    std::string line = std::to_string(t.index) + " " + t.name + ": ";
    if (!t.problem.empty()) return line + "untextured (" + t.problem + ")";
    line += t.reader + " " + t.format + " " + Size(t.width, t.height);
    if (t.storedLevels > 1) line += ", " + std::to_string(t.storedLevels) + " stored levels";
    if (t.loaded)
        line += "; device " + t.deviceFormat + " " + Size(t.deviceWidth, t.deviceHeight) + ", " + Levels(t.deviceLevels);
    line += "; " + std::to_string(t.triangles) + (t.triangles == 1 ? " triangle" : " triangles");
    return line;
}

std::string BoundsText(const Bounds& b) {
    if (!b.any) return "none";
    char text[256];
    std::snprintf(text, sizeof text, "(%g, %g, %g) to (%g, %g, %g), %g x %g x %g", b.min[0], b.min[1], b.min[2],
                  b.max[0], b.max[1], b.max[2], b.max[0] - b.min[0], b.max[1] - b.min[1], b.max[2] - b.min[2]);
    return text;
}

std::string BoundsJson(const Bounds& b) {
    if (!b.any) return "null";
    return "{\"min\": [" + JsonNumber(b.min[0]) + ", " + JsonNumber(b.min[1]) + ", " + JsonNumber(b.min[2]) +
           "], \"max\": [" + JsonNumber(b.max[0]) + ", " + JsonNumber(b.max[1]) + ", " + JsonNumber(b.max[2]) + "]}";
}

std::string TextureJson(const TextureSummary& t) {
    std::string s = "{\"index\": " + std::to_string(t.index) + ", \"name\": " + JsonString(t.name) +
                    ", \"triangles\": " + std::to_string(t.triangles);
    if (!t.problem.empty()) return s + ", \"untextured\": " + JsonString(t.problem) + "}";
    s += ", \"reader\": " + JsonString(t.reader) + ", \"format\": " + JsonString(t.format) +
         ", \"width\": " + std::to_string(t.width) + ", \"height\": " + std::to_string(t.height) +
         ", \"storedLevels\": " + std::to_string(t.storedLevels);
    if (t.loaded)
        s += ", \"device\": {\"format\": " + JsonString(t.deviceFormat) + ", \"width\": " + std::to_string(t.deviceWidth) +
             ", \"height\": " + std::to_string(t.deviceHeight) + ", \"levels\": " + std::to_string(t.deviceLevels) + "}";
    return s + "}";
}

std::string TexturesJson(const LevelSummary& summary) {
    std::string s = "[";
    for (size_t i = 0; i < summary.textures.size(); ++i)
        s += std::string(i ? ",\n    " : "\n    ") + TextureJson(summary.textures[i]);
    return s + (summary.textures.empty() ? "]" : "\n  ]");
}

const char* FilterWords(const std::string& k) {
    if (k == "POINT") return "point";
    if (k == "LINEAR") return "linear";
    if (k == "ANISOTROPIC") return "anisotropic";
    return nullptr;
}

const char* FillWords(const std::string& k) {
    if (k == "SOLID") return "solid";
    if (k == "WIREFRAME") return "wireframe";
    if (k == "POINTS") return "points";
    return nullptr;
}

std::string Unmatched(const std::string& keyword, const char* instead) {
    if (keyword.empty()) return std::string(instead) + " (not reached)";
    return std::string(instead) + " (\"" + keyword + "\" matches nothing)";
}

double Seconds(const PathSummary& p) { return (p.records + 1) / 60.0; }

std::string PathLine(const PathSummary& p) {
    if (!p.read) return "not read";
    return std::to_string(p.records) + (p.records == 1 ? " record" : " records") +
           (p.endMarker ? " and the end marker" : ", no end marker");
}

std::string MusicLine(const SoundSummary& s) {
    if (!s.present) return "none";
    if (!s.plays) return "does not play";
    char text[64];
    std::snprintf(text, sizeof text, "plays, %.2f s", s.seconds);
    return text;
}

}  // namespace

void PrintCheck(std::FILE* out, const Findings& findings, const LevelSummary& summary, bool json) {
    if (json) {
        std::fprintf(out, "{\n  \"level\": %s,\n  \"errors\": %d,\n  \"warnings\": %d,\n  \"problems\": [",
                     JsonString(summary.level).c_str(), findings.Errors(), findings.Warnings());
        const auto& all = findings.All();
        for (size_t i = 0; i < all.size(); ++i) {
            const Finding& f = all[i];
            std::fprintf(out, "%s{\"severity\": \"%s\", \"file\": %s, \"line\": %d, \"token\": %d, \"text\": %s, "
                              "\"message\": %s}",
                         i ? ",\n    " : "\n    ", f.severity == Severity::Error ? "error" : "warning",
                         JsonString(f.place.file).c_str(), f.place.line, f.place.token,
                         JsonString(f.place.text).c_str(), JsonString(f.message).c_str());
        }
        std::fprintf(out, "%s,\n  \"textures\": %s", all.empty() ? "]" : "\n  ]", TexturesJson(summary).c_str());
        const PathSummary& p = summary.path;
        std::fprintf(out, ",\n  \"path\": {\"records\": %d, \"endMarker\": %s},\n  \"music\": %s", p.records,
                     p.endMarker ? "true" : "false",
                     summary.sound.present ? (summary.sound.plays ? "\"plays\"" : "\"does not play\"") : "null");
        if (!summary.deviceNote.empty()) std::fprintf(out, ",\n  \"note\": %s", JsonString(summary.deviceNote).c_str());
        std::fprintf(out, "\n}\n");
        return;
    }
    std::fprintf(out, "level: %s\n", summary.level.c_str());
    if (!summary.textures.empty()) {
        std::fprintf(out, "textures:\n");
        for (const TextureSummary& t : summary.textures) std::fprintf(out, "  %s\n", TextureLine(t).c_str());
    }
    std::fprintf(out, "camera path: %s\nmusic: %s\n", PathLine(summary.path).c_str(), MusicLine(summary.sound).c_str());
    if (!summary.deviceNote.empty()) std::fprintf(out, "note: %s\n", summary.deviceNote.c_str());
    findings.PrintText(out);
    if (findings.Errors() == 0 && findings.Warnings() == 0)
        std::fprintf(out, "no problems: the viewer shows this level as it is written\n");
    else
        std::fprintf(out, "%d error%s, %d warning%s\n", findings.Errors(), findings.Errors() == 1 ? "" : "s",
                     findings.Warnings(), findings.Warnings() == 1 ? "" : "s");
}

void PrintInfo(std::FILE* out, const Findings& findings, const LevelSummary& summary, bool json) {
    const ConfigSummary& c = summary.config;
    const MapSummary& m = summary.map;
    const PathSummary& p = summary.path;
    const SoundSummary& s = summary.sound;
    bool fog = c.fogSwitch != "DISABLE";  // as the viewer: any other switch turns fog on
    bool texturing = c.texturing == "ENABLE";
    if (json) {
        std::fprintf(out, "{\n  \"level\": %s,\n", JsonString(summary.level).c_str());
        std::fprintf(out,
                     "  \"config\": {\"width\": %d, \"height\": %d, \"filter\": %s, \"fillMode\": %s, "
                     "\"texturing\": %s, \"fog\": %s, \"fogDensity\": %s, \"color\": [%d, %d, %d], "
                     "\"moveSpeed\": %s, \"mouseSensitivity\": %s},\n",
                     c.width, c.height, JsonString(c.filter).c_str(), JsonString(c.fillMode).c_str(),
                     texturing ? "true" : "false", fog ? "true" : "false", JsonNumber(c.density).c_str(),
                     c.red & 0xFF, c.green & 0xFF, c.blue & 0xFF, JsonNumber(c.moveSpeed).c_str(),
                     JsonNumber(c.mouseSensitivity).c_str());
        std::fprintf(out, "  \"textures\": %s,\n", TexturesJson(summary).c_str());
        std::fprintf(out, "  \"triangles\": %d,\n  \"drawnTriangles\": %d,\n  \"bounds\": %s,\n", m.triangleCount,
                     m.drawnTriangles, BoundsJson(m.bounds).c_str());
        std::fprintf(out,
                     "  \"path\": {\"records\": %d, \"endMarker\": %s, \"frames\": %s, \"seconds\": %s, "
                     "\"eyeLength\": %s, \"eyes\": %s, \"targets\": %s},\n",
                     p.records, p.endMarker ? "true" : "false", p.endMarker ? std::to_string(p.records + 1).c_str() : "null",
                     p.endMarker ? JsonNumber(Seconds(p)).c_str() : "null", JsonNumber(p.eyeLength).c_str(),
                     BoundsJson(p.eyes).c_str(), BoundsJson(p.targets).c_str());
        if (s.plays)
            std::fprintf(out, "  \"music\": {\"seconds\": %s, \"rate\": %d, \"channels\": %d},\n",
                         JsonNumber(s.seconds).c_str(), s.rate, s.channels);
        else
            std::fprintf(out, "  \"music\": null,\n");
        std::fprintf(out, "  \"errors\": %d,\n  \"warnings\": %d\n}\n", findings.Errors(), findings.Warnings());
        return;
    }
    std::fprintf(out, "level: %s\n", summary.level.c_str());
    std::fprintf(out, "configuration:\n");
    std::fprintf(out, "  screen %d x %d\n", c.width, c.height);
    const char* filter = FilterWords(c.filter);
    std::fprintf(out, "  texture filter: %s\n",
                 filter ? filter : Unmatched(c.filter, "the device's own, point without mip levels").c_str());
    const char* fill = FillWords(c.fillMode);
    std::fprintf(out, "  fill mode: %s\n", fill ? fill : Unmatched(c.fillMode, "the device's own, solid").c_str());
    std::fprintf(out, "  texturing: %s\n",
                 texturing ? "on" : (c.texturing == "DISABLE" ? "off" : Unmatched(c.texturing, "off").c_str()));
    std::fprintf(out, "  fog: %s",
                 !fog ? "off" : (c.fogSwitch == "ENABLE" ? "on" : Unmatched(c.fogSwitch, "on").c_str()));
    if (fog) std::fprintf(out, ", exponential, density %g", c.density);
    std::fprintf(out, "\n  fog and background colour: red %d, green %d, blue %d\n", c.red & 0xFF, c.green & 0xFF,
                 c.blue & 0xFF);
    std::fprintf(out, "  free flight (orvik-fly): movement speed %g, mouse sensitivity %g\n", c.moveSpeed,
                 c.mouseSensitivity);
    std::fprintf(out, "textures: %zu\n", summary.textures.size());
    for (const TextureSummary& t : summary.textures) std::fprintf(out, "  %s\n", TextureLine(t).c_str());
    if (!summary.deviceNote.empty()) std::fprintf(out, "  (%s)\n", summary.deviceNote.c_str());
    std::fprintf(out, "triangles: %d drawn", m.drawnTriangles);
    if (m.drawnTriangles != m.triangleCount) std::fprintf(out, " of %d in the file", m.triangleCount);
    std::fprintf(out, "\nbounding box: %s\n", BoundsText(m.bounds).c_str());
    std::fprintf(out, "camera path: %d records", p.records);
    if (p.endMarker)
        std::fprintf(out, ", %d frames, %.2f s at 60 frames a second\n", p.records + 1, Seconds(p));
    else
        std::fprintf(out, ", no end marker: it holds its last pose until the window is closed\n");
    std::fprintf(out, "  the eye travels %.1f units\n", p.eyeLength);
    std::fprintf(out, "  eye extent: %s\n  target extent: %s\n", BoundsText(p.eyes).c_str(), BoundsText(p.targets).c_str());
    if (s.plays)
        std::fprintf(out, "music: %.2f s, %d Hz, %s, looped\n", s.seconds, s.rate,
                     s.channels == 1 ? "mono" : (s.channels == 2 ? "stereo" : "multi-channel"));
    else
        std::fprintf(out, "music: none that plays\n");
    if (findings.Errors() + findings.Warnings() > 0)
        std::fprintf(out, "%d error%s, %d warning%s: orvik-level check tells which\n", findings.Errors(),
                     findings.Errors() == 1 ? "" : "s", findings.Warnings(), findings.Warnings() == 1 ? "" : "s");
}
