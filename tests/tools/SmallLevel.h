// A small, clean level for the tool tests: its members as loose files or a package.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "data/PackageKey.h"
#include "tests/support/RawPackage.h"
#include "tests/support/TestSupport.h"

// A w x h binary PPM of one grey.
inline std::string Ppm(int w, int h) {
    std::string s = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    s.append(size_t(w) * h * 3, '\x80');
    return s;
}

// A mono 16-bit PCM wave of n samples at 8000 Hz.
inline std::string Wave(int n) {
    auto word = [](uint32_t v, int bytes) {
        std::string s;
        for (int i = 0; i < bytes; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
        return s;
    };
    std::string data(size_t(n) * 2, '\0');
    return "RIFF" + word(36 + uint32_t(data.size()), 4) + "WAVEfmt " + word(16, 4) + word(1, 2) + word(1, 2) +
           word(8000, 4) + word(16000, 4) + word(2, 2) + word(16, 2) + "data" + word(uint32_t(data.size()), 4) + data;
}

inline std::string Triangle(int texture) {
    return "0 0 0 10 0 0 0 10 0 " + std::to_string(texture) + " 0 0 1 0 0 1\n";
}

// A small clean level as loose files: one 8 x 8 texture, two triangles, a
// path of two records ended by "T", a quarter second of music.
struct SmallLevel {
    std::string config = kSmallConfig;
    std::string map = "1\nWALL.PPM\n2\n" + Triangle(0) + Triangle(0);
    std::string path = "p 0 10 -20 0 0 0\np 5 10 -20 0 0 0\nT\n";
    std::string sound = Wave(2000);
    std::vector<std::pair<std::string, std::string>> extra = {{"WALL.PPM", Ppm(8, 8)}};

    std::vector<std::pair<std::string, std::string>> Members() const {
        std::vector<std::pair<std::string, std::string>> members = {
            {"GAME.CFG", config}, {"MAP.MBM", map}, {"RC.DEM", path}};
        if (!sound.empty()) members.push_back({"SOUND.WAV", sound});
        members.insert(members.end(), extra.begin(), extra.end());
        return members;
    }
    void WriteLoose(const TempDir& dir) const {
        for (const auto& m : Members()) ASSERT_TRUE(WriteFile(dir.File(m.first), m.second));
    }
    void WritePackage(const TempDir& dir, unsigned char key = PACKAGE_KEY) const {
        ASSERT_TRUE(WriteFile(dir.File("DATA.MBP"), BuildPackage(Members(), key)));
    }
};

