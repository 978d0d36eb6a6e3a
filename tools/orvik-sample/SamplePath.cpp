#include "tools/orvik-sample/SamplePath.h"

#include <cmath>
#include <cstdio>

std::string BuildSamplePath(int records) {
    std::string text;
    char line[160];
    const float pi = 3.14159265f;
    for (int i = 0; i < records; ++i) {
        float t = records > 1 ? static_cast<float>(i) / (records - 1) : 0.0f;
        float angle = -pi / 2 + t * 2.2f * pi;
        float radius = 85 - 45 * t;
        float height = 45 - 33 * t + 3 * std::sin(t * 9);
        float eye[3] = {radius * std::cos(angle), height, radius * std::sin(angle)};
        // Look at the tower, drifting ahead along the circle towards the end.
        float lead = 0.25f + 0.5f * t;
        float target[3] = {18 * std::cos(angle + lead), 18 - 6 * t, 18 * std::sin(angle + lead)};
        std::snprintf(line, sizeof line, "p %.3f %.3f %.3f %.3f %.3f %.3f\n", eye[0], eye[1], eye[2], target[0],
                      target[1], target[2]);
        text += line;
    }
    return text + "T\n";
}
