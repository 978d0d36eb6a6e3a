// What the checks learn about a level, for the summary that info prints.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ConfigSummary {
    bool read = false;
    int width = 640;
    int height = 480;
    std::string filter;     // the keywords as written (empty when not reached)
    std::string fillMode;
    std::string texturing;
    std::string fogSwitch;
    int red = 0;
    int green = 0;
    int blue = 0;
    float density = 0.0f;
    float moveSpeed = 0.0f;
    float mouseSensitivity = 0.0f;
};

struct TextureSummary {
    int index = 0;
    std::string name;
    bool present = false;        // the package holds it
    std::string reader;          // "png", ...; empty when no reader takes it
    std::string format;          // the file's own pixel format
    unsigned width = 0, height = 0, storedLevels = 0;
    bool loaded = false;         // the device holds it: the fields below are set
    bool deviceChecked = false;  // a device was there to ask
    std::string deviceFormat;
    unsigned deviceWidth = 0, deviceHeight = 0, deviceLevels = 0;
    int triangles = 0;           // drawn with this texture
    std::string problem;         // why its triangles load untextured
};

struct Bounds {
    bool any = false;
    float min[3] = {0, 0, 0};
    float max[3] = {0, 0, 0};
    void Add(const float p[3]) {
        for (int k = 0; k < 3; ++k) {
            if (!any || p[k] < min[k]) min[k] = p[k];
            if (!any || p[k] > max[k]) max[k] = p[k];
        }
        any = true;
    }
};

struct MapSummary {
    bool read = false;
    int textureCount = 0;
    int triangleCount = 0;   // as the file says
    int drawnTriangles = 0;
    Bounds bounds;
};

struct PathSummary {
    bool read = false;
    int records = 0;         // complete pose records
    bool endMarker = false;
    double eyeLength = 0.0;  // the eye's path, from the first record to the last
    Bounds eyes;
    Bounds targets;
};

struct SoundSummary {
    bool present = false;
    bool plays = false;
    int rate = 0;
    int channels = 0;
    double seconds = 0.0;
};

struct LevelSummary {
    std::string level;
    ConfigSummary config;
    std::vector<TextureSummary> textures;
    MapSummary map;
    PathSummary path;
    SoundSummary sound;
    std::string deviceNote;  // why the device's view of the textures is missing
};
