// orvik-level: tells, before a level is shared, whether the viewer will show
// it as meant (check), and describes it in words (info).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "data/PackageKey.h"
#include "tools/orvik-image/ToolDevice.h"
#include "tools/orvik-level/ConfigCheck.h"
#include "tools/orvik-level/Findings.h"
#include "tools/orvik-level/JsonText.h"
#include "tools/orvik-level/LevelReport.h"
#include "tools/orvik-level/LevelSource.h"
#include "tools/orvik-level/LevelSummary.h"
#include "tools/orvik-level/MapCheck.h"
#include "tools/orvik-level/PathCheck.h"
#include "tools/orvik-level/SoundCheck.h"
#include "tools/orvik-level/TextureCheck.h"

namespace {

constexpr int EXIT_USAGE = 3;

const char* const kUsage =
    "usage: orvik-level check PATH [--key N] [--json]\n"
    "       orvik-level info PATH [--key N] [--json]\n"
    "\n"
    "PATH is a data package (DATA.MBP), or a directory: of the loose files a\n"
    "package is made from when it holds MAP.MBM, else the DATA.MBP in it.\n"
    "\n"
    "check  every problem the viewer would meet or silently pass over, each with\n"
    "       its file and, in text files, its line and token; the textures with\n"
    "       their reader, format and size and what the device makes of them.\n"
    "       Exit code 0: no problems, 1: warnings only, 2: errors.\n"
    "info   the configuration in words, the textures, triangles per texture, the\n"
    "       level's bounding box, the camera path's length, duration at 60 frames\n"
    "       a second and extent, and the music's length. Exit code 0, or 2 when\n"
    "       PATH holds no level.\n"
    "\n"
    "--key N  the package key, 0 to 255 (decimal or 0x hex); default: this build's key\n"
    "--json   the same as one JSON object, for scripts\n"
    "Exit code 3: bad command line.\n";

int Usage(const char* problem) {
    if (problem != nullptr) std::fprintf(stderr, "orvik-level: %s\n", problem);
    std::fputs(kUsage, stderr);
    return EXIT_USAGE;
}

bool ParseKey(const char* text, unsigned char* key) {
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 0);
    if (errno != 0 || end == text || *end != '\0' || value < 0 || value > 255) return false;
    *key = static_cast<unsigned char>(value);
    return true;
}

// A text member the viewer needs to start: its file, or empty when it is missing.
std::string NeededFile(LevelSource& source, const char* name, Findings* findings) {
    Place place;
    place.file = source.Label();
    std::string error;
    if (source.Find(name) == nullptr) {
        std::string message = std::string(source.IsPackage() ? "the package has no member " : "the directory has no file ") + name;
        if (const LevelMember* other = source.FindOtherCase(name))
            message += ", only " + other->name + " (letter case counts)";
        findings->Error(place, message + "; the viewer stops at start-up");
        return "";
    }
    std::string path = source.FileOf(name, &error);
    if (path.empty()) findings->Error(place, error);
    return path;
}

void CheckLevel(LevelSource& source, Findings* findings, LevelSummary* summary) {
    std::string config = NeededFile(source, "GAME.CFG", findings);
    std::string map = NeededFile(source, "MAP.MBM", findings);
    std::string path = NeededFile(source, "RC.DEM", findings);
    if (!config.empty()) CheckConfig(config, findings, &summary->config);
    if (!map.empty()) CheckMap(map, &source, findings, summary);

    bool anyTexture = false;
    for (const TextureSummary& t : summary->textures) anyTexture = anyTexture || (t.present && t.problem.empty());
    if (anyTexture) {
        ToolDevice device("orvik-level");
        if (device.Create()) {
            CheckTextures(device.device, &source, findings, summary);
        } else {
            summary->deviceNote = "no Direct3D device here: what the device makes of the textures is not shown";
            CheckTextures(nullptr, &source, findings, summary);
        }
    }
    if (!path.empty()) CheckPath(path, findings, &summary->path);

    std::string sound;
    std::string error;
    if (source.Find("SOUND.WAV") != nullptr) {
        sound = source.FileOf("SOUND.WAV", &error);
        if (sound.empty()) {
            Place place;
            place.file = "SOUND.WAV";
            findings->Error(place, error);
        }
    }
    if (sound.empty() && error.empty()) CheckSound("", findings, &summary->sound);
    else if (!sound.empty()) CheckSound(sound, findings, &summary->sound);

    // Members nothing asks for: most likely a name written differently in MAP.MBM.
    if (source.IsPackage()) {
        Place place;
        place.file = source.Label();
        for (const LevelMember& member : source.Members()) {
            if (member.used || !member.terminated) continue;
            if (source.Find(member.name) != &member) continue;  // a second copy, reported already
            if (!UnextractableReason(member.name).empty()) continue;
            findings->Warning(place, "member " + member.name + " is never used by the viewer");
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string command;
    std::string path;
    bool json = false;
    unsigned char key = PACKAGE_KEY;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--json") {
            json = true;
        } else if (arg == "--key") {
            if (i + 1 >= argc || !ParseKey(argv[i + 1], &key)) return Usage("--key needs a number from 0 to 255");
            ++i;
        } else if (command.empty()) {
            command = arg;
        } else if (path.empty()) {
            path = arg;
        } else {
            return Usage(("unexpected argument: " + arg).c_str());
        }
    }
    if (command != "check" && command != "info") return Usage(command.empty() ? nullptr : ("unknown command: " + command).c_str());
    if (path.empty()) return Usage("PATH is missing");

    Findings findings;
    LevelSummary summary;
    LevelSource source;
    std::string error;
    if (!source.Open(path, key, &findings, &error)) {
        std::fprintf(stderr, "orvik-level: %s\n", error.c_str());
        if (json)
            std::printf("{\"level\": null, \"errors\": 1, \"warnings\": 0, \"problems\": [], \"error\": %s}\n",
                        JsonString(error).c_str());
        return 2;
    }
    summary.level = source.IsPackage() ? path : path + " (loose files)";
    CheckLevel(source, &findings, &summary);
    findings.Finish();
    if (command == "check") {
        PrintCheck(stdout, findings, summary, json);
        return findings.ExitCode();
    }
    PrintInfo(stdout, findings, summary, json);
    return 0;
}
