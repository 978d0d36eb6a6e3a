#include "tools/orvik-sample/SampleSound.h"

#include <algorithm>
#include <cmath>

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

}  // namespace

std::vector<uint8_t> BuildSampleSound(int sampleRate, int beats) {
    // A minor arpeggio over a bass note; each beat is a quarter of a second.
    const double notes[] = {220.0, 261.63, 329.63, 440.0, 392.0, 329.63, 261.63, 246.94};
    int beatSamples = sampleRate / 4;
    int total = beatSamples * beats;
    std::vector<int16_t> samples(static_cast<size_t>(total));
    const double twoPi = 6.283185307179586;
    for (int i = 0; i < total; ++i) {
        int beat = i / beatSamples;
        int within = i % beatSamples;
        double t = static_cast<double>(within) / sampleRate;
        double envelope = std::exp(-3.0 * t) * std::min(1.0, within / 200.0) *
                          std::min(1.0, (beatSamples - within) / 200.0);
        double note = notes[beat % 8];
        double bass = 0.25 * std::sin(twoPi * 110.0 * i / sampleRate);
        double value = 0.45 * envelope * (std::sin(twoPi * note * t) + 0.3 * std::sin(twoPi * 2 * note * t)) + bass;
        samples[static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(value * 20000.0));
    }
    std::vector<uint8_t> out;
    out.reserve(44 + static_cast<size_t>(total) * 2);
    auto text = [&](const char* s) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(s[i]));
    };
    uint32_t dataBytes = static_cast<uint32_t>(total) * 2;
    text("RIFF");
    Put32(out, 36 + dataBytes);
    text("WAVE");
    text("fmt ");
    Put32(out, 16);
    Put16(out, 1);
    Put16(out, 1);
    Put32(out, static_cast<uint32_t>(sampleRate));
    Put32(out, static_cast<uint32_t>(sampleRate) * 2);
    Put16(out, 2);
    Put16(out, 16);
    text("data");
    Put32(out, dataBytes);
    for (int16_t s : samples) Put16(out, static_cast<uint16_t>(s));
    return out;
}
