#include "tools/orvik-level/ConfigCheck.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "data/ConfigTokens.h"
#include "platform/files/RegularFile.h"
#include "tools/orvik-level/TextPlaces.h"

namespace {

constexpr const char* FILE_NAME = "GAME.CFG";

enum class ValueKind { Integer, Real, Keyword };

struct Setting {
    const char* what;
    ValueKind kind;
    const char* keywords[3];  // for keyword settings, in the order the viewer compares them
    const char* otherwise;    // what the viewer does when none matches
    bool unmatchedIsError;
};

// The twelve settings in file order.
const Setting kSettings[12] = {
    {"screen width", ValueKind::Integer, {}, nullptr, false},
    {"screen height", ValueKind::Integer, {}, nullptr, false},
    {"texture filter", ValueKind::Keyword, {"POINT", "LINEAR", "ANISOTROPIC"},
     "the viewer sets no filter, so textures keep the device's own: point sampling without mip levels", false},
    {"fill mode", ValueKind::Keyword, {"SOLID", "WIREFRAME", "POINTS"},
     "the viewer sets no fill mode, so the device keeps its own: solid", false},
    {"texturing", ValueKind::Keyword, {"ENABLE", "DISABLE"},
     "texturing stays off: every triangle is drawn without its texture", true},
    {"fog switch", ValueKind::Keyword, {"ENABLE", "DISABLE"},
     "the device gets a non-zero fog switch and turns fog on (only \"DISABLE\" turns it off)", false},
    {"fog and background red", ValueKind::Integer, {}, nullptr, false},
    {"fog and background green", ValueKind::Integer, {}, nullptr, false},
    {"fog and background blue", ValueKind::Integer, {}, nullptr, false},
    {"fog density", ValueKind::Real, {}, nullptr, false},
    {"movement speed", ValueKind::Real, {}, nullptr, false},
    {"mouse sensitivity", ValueKind::Real, {}, nullptr, false},
};

// The viewer's reads: settings 1-2, 3, 4, 5, 6-10, 11, 12. A read stops at
// the first value that does not read.
const int kReads[][2] = {{0, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 9}, {10, 10}, {11, 11}};

class ConfigReading {
public:
    ConfigReading(std::FILE* file, const TextPlaces& places, Findings* findings, ConfigSummary* summary)
        : file_(file), tokens_(file), places_(places), findings_(findings), summary_(summary) {}

    // One read of the viewer's; false when nothing later is worth checking:
    // the file ended, or the reads are out of step with the settings.
    bool Read(int first, int last) {
        for (int s = first; s <= last; ++s) {
            if (!Skip(s) || !Skip(s)) return false;
            if (!Value(s)) return !ended_ && !outOfStep_;
            if (outOfStep_) return false;
        }
        return true;
    }

    void AfterLast() {
        long at = std::ftell(file_);
        Place place = places_.TokenAt(at < 0 ? 0 : static_cast<uint64_t>(at));
        if (place.token > 0)
            findings_->Warning(place, "the file goes on after its 36th token; the viewer never reads the rest");
    }

private:
    uint64_t Here() const {
        long at = std::ftell(file_);
        return at < 0 ? 0 : static_cast<uint64_t>(at);
    }

    // The file ended where a token of setting s was due.
    void Ended(int s, uint64_t at) {
        ended_ = true;
        findings_->Error(places_.TokenAt(at), std::string("the file ends before setting ") + std::to_string(s + 1) +
                                                  " (" + kSettings[s].what +
                                                  "): it and every setting after it keep the viewer's defaults");
    }

    bool Skip(int s) {
        uint64_t at = Here();
        if (tokens_.Skip()) return true;
        Ended(s, at);
        return false;
    }

    bool AtEnd(uint64_t at) const { return places_.TokenAt(at).token == 0; }

    // A number followed directly by other characters: the viewer reads the
    // number and takes the rest as the next token.
    void CheckRest(int s, uint64_t at) {
        int next = std::fgetc(file_);
        if (next != EOF) std::ungetc(next, file_);
        if (next == EOF || IsTextSpace(next)) return;
        outOfStep_ = true;
        findings_->Error(places_.TokenAt(at),
                         std::string(kSettings[s].what) + ": the viewer reads the number at its start and takes the rest as " +
                             "the next token, so every later setting is read from the wrong token (not checked further)");
    }

    bool Value(int s) {
        const Setting& setting = kSettings[s];
        uint64_t at = Here();
        bool ok = false;
        if (setting.kind == ValueKind::Keyword) {
            char word[128] = "";
            ok = tokens_.Word(word);
            if (ok) Keyword(s, word, at);
        } else if (setting.kind == ValueKind::Integer) {
            int value = 0;
            ok = tokens_.Integer(&value);
            if (ok) {
                Store(s, value, 0.0f);
                CheckRest(s, at);
                if (s <= 1 && value <= 0)
                    findings_->Error(places_.TokenAt(at), std::string(setting.what) + " " + std::to_string(value) +
                                                              ": the viewer cannot make a device of that size");
                if (s >= 6 && (value < 0 || value > 255))
                    findings_->Warning(places_.TokenAt(at), std::string(setting.what) + " " + std::to_string(value) +
                                                                " lies outside 0 to 255; only its low 8 bits count, giving " +
                                                                std::to_string(value & 0xFF));
            }
        } else {
            float value = 0.0f;
            ok = tokens_.Real(&value);
            if (ok) {
                Store(s, 0, value);
                CheckRest(s, at);
            }
        }
        if (ok) return true;
        if (AtEnd(at)) {
            Ended(s, at);
            return false;
        }
        findings_->Error(places_.TokenAt(at),
                         std::string(setting.what) + ": the value does not read as " +
                             (setting.kind == ValueKind::Integer ? "a whole number" : "a number") +
                             "; the viewer keeps its default for it and for the rest of this read, and reads every "
                             "later setting from the wrong token (not checked further)");
        outOfStep_ = true;
        return false;
    }

    void Keyword(int s, const char* word, uint64_t at) {
        const Setting& setting = kSettings[s];
        Store(s, 0, 0.0f, word);
        for (const char* keyword : setting.keywords)
            if (keyword != nullptr && std::strcmp(word, keyword) == 0) return;
        std::string expected;
        const char* sameLetters = nullptr;
        for (const char* keyword : setting.keywords) {
            if (keyword == nullptr) continue;
            if (!expected.empty()) expected += ", ";
            expected += std::string("\"") + keyword + "\"";
            if (::strcasecmp(word, keyword) == 0) sameLetters = keyword;
        }
        std::string message = std::string(setting.what) + " matches none of " + expected;
        if (sameLetters != nullptr) message += std::string(" (letter case counts: write \"") + sameLetters + "\")";
        message += std::string("; ") + setting.otherwise;
        if (setting.unmatchedIsError) findings_->Error(places_.TokenAt(at), message);
        else findings_->Warning(places_.TokenAt(at), message);
    }

    void Store(int s, int integer, float real, const char* word = nullptr) {
        ConfigSummary& c = *summary_;
        switch (s) {
        case 0: c.width = integer; break;
        case 1: c.height = integer; break;
        case 2: c.filter = word; break;
        case 3: c.fillMode = word; break;
        case 4: c.texturing = word; break;
        case 5: c.fogSwitch = word; break;
        case 6: c.red = integer; break;
        case 7: c.green = integer; break;
        case 8: c.blue = integer; break;
        case 9: c.density = real; break;
        case 10: c.moveSpeed = real; break;
        case 11: c.mouseSensitivity = real; break;
        }
    }

    std::FILE* file_;
    ConfigTokens tokens_;
    const TextPlaces& places_;
    Findings* findings_;
    ConfigSummary* summary_;
    bool ended_ = false;
    bool outOfStep_ = false;  // later findings would only be consequences: not checked
};

bool ReadAll(std::FILE* file, std::string* text) {
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text->append(buffer, got);
    return !std::ferror(file);
}

}  // namespace

void CheckConfig(const std::string& path, Findings* findings, ConfigSummary* summary) {
    Place whole;
    whole.file = FILE_NAME;
    std::FILE* file = OpenRegularFile(path.c_str(), "r");
    std::string text;
    if (file == nullptr || !ReadAll(file, &text)) {
        findings->Error(whole, std::string("cannot be read: ") + std::strerror(errno) + "; the viewer stops at start-up");
        if (file != nullptr) std::fclose(file);
        return;
    }
    std::rewind(file);
    TextPlaces places(FILE_NAME, text);
    ConfigReading reading(file, places, findings, summary);
    summary->read = true;
    bool going = true;
    for (const auto& read : kReads)
        if (going) going = reading.Read(read[0], read[1]);
    if (going) reading.AfterLast();
    std::fclose(file);
}
