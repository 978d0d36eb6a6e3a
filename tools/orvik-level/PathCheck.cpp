#include "tools/orvik-level/PathCheck.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "data/PathRecord.h"
#include "data/SharedState.h"
#include "platform/files/RegularFile.h"
#include "tools/orvik-level/TextPlaces.h"

namespace {

constexpr const char* FILE_NAME = "RC.DEM";

// Written into the pose before each record: a field that still holds it was
// not read. (A file can only produce this exact NaN by spelling its payload.)
constexpr uint32_t UNREAD = 0x7FC5A5A5u;

void MarkUnread() {
    for (int k = 0; k < 6; ++k) std::memcpy(&CameraPose[k], &UNREAD, sizeof UNREAD);
}

int FieldsRead() {
    int read = 0;
    for (int k = 0; k < 6; ++k) {
        uint32_t bits;
        std::memcpy(&bits, &CameraPose[k], sizeof bits);
        if (bits == UNREAD) break;
        ++read;
    }
    return read;
}

bool StartsNumber(int c) { return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'; }

const char* FieldName(int k) {
    static const char* const names[6] = {"eye x", "eye y", "eye z", "target x", "target y", "target z"};
    return names[k];
}

}  // namespace

void CheckPath(const std::string& path, Findings* findings, PathSummary* summary) {
    Place whole;
    whole.file = FILE_NAME;
    std::FILE* file = OpenRegularFile(path.c_str(), "r");
    std::string text;
    if (file != nullptr) {
        char buffer[65536];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
        if (std::ferror(file)) {
            std::fclose(file);
            file = nullptr;
        }
    }
    if (file == nullptr) {
        findings->Error(whole, std::string("cannot be read: ") + std::strerror(errno) + "; the viewer stops at start-up");
        return;
    }
    std::rewind(file);
    TextPlaces places(FILE_NAME, text);
    summary->read = true;

    // The viewer's reader works on its globals: the stream, the pose and the run state.
    std::FILE* savedPath = pathFile;
    pathFile = file;
    float previousEye[3] = {0, 0, 0};
    for (int record = 1;; ++record) {
        long at = std::ftell(file);
        uint64_t start = at < 0 ? 0 : static_cast<uint64_t>(at);
        if (start >= text.size()) break;
        int marker = static_cast<unsigned char>(text[start]);
        MarkUnread();
        RunState = 2;
        ReadPathRecord();
        if (RunState == 0) {
            summary->endMarker = true;
            Place rest = places.TokenAt(start + 1);
            if (rest.token > 0)
                findings->Warning(rest, "text after the end marker \"T\" is never read");
            break;
        }
        Place markerPlace = places.TokenAt(start);
        if (StartsNumber(marker))
            findings->Warning(markerPlace, "record " + std::to_string(record) + " starts with \"" + std::string(1, char(marker)) +
                                               "\", which the viewer takes as its marker: a record written without a "
                                               "marker loses the first character of its first number",
                              "markers that eat a number");
        if (record > 1 && marker == 't')
            findings->Warning(markerPlace, "record " + std::to_string(record) +
                                               ": a lower-case \"t\" is an ordinary marker, not the end of the path; "
                                               "only \"T\" ends it");
        int read = FieldsRead();
        long after = std::ftell(file);
        uint64_t stop = after < 0 ? text.size() : static_cast<uint64_t>(after);
        if (read < 6) {
            Place where = places.TokenAt(stop);
            if (where.token == 0)
                findings->Error(where, "the file ends inside record " + std::to_string(record) + " (" +
                                           std::to_string(read) + " of 6 numbers)");
            else
                findings->Error(where, "record " + std::to_string(record) + ": " + FieldName(read) +
                                           " does not read; its first character becomes the next record's marker "
                                           "and the records after it are out of step",
                                "records whose numbers do not read");
            if (where.token == 0) break;
            continue;
        }
        const float eye[3] = {CameraPose[0], CameraPose[1], CameraPose[2]};
        const float target[3] = {CameraPose[3], CameraPose[4], CameraPose[5]};
        if (summary->records > 0) {
            double dx = eye[0] - previousEye[0], dy = eye[1] - previousEye[1], dz = eye[2] - previousEye[2];
            summary->eyeLength += std::sqrt(dx * dx + dy * dy + dz * dz);
        }
        std::memcpy(previousEye, eye, sizeof eye);
        ++summary->records;
        summary->eyes.Add(eye);
        summary->targets.Add(target);
        if (eye[0] == target[0] && eye[1] == target[1] && eye[2] == target[2])
            findings->Warning(markerPlace, "record " + std::to_string(record) +
                                               ": eye and target are the same point, so the view has no direction",
                              "records whose eye is its target");
    }
    pathFile = savedPath;
    std::fclose(file);
    if (!summary->endMarker)
        findings->Warning(places.TokenAt(text.size()),
                          "the path has no end marker \"T\": after its last record the viewer holds that pose until "
                          "the window is closed");
}
