#include "tools/orvik-level/SoundCheck.h"

#include <memory>

#include "platform/dmusic/WaveData.h"

void CheckSound(const std::string& path, Findings* findings, SoundSummary* summary) {
    Place whole;
    whole.file = "SOUND.WAV";
    if (path.empty()) {
        findings->Warning(whole, "the level has no music: the viewer plays in silence");
        return;
    }
    summary->present = true;
    std::shared_ptr<const WaveData> wave;
    if (FAILED(LoadWaveFile(path.c_str(), &wave)) || wave == nullptr) {
        findings->Error(whole, "does not play: not a wave file the music player can decode (PCM of 8 or 16 bits); "
                               "the viewer plays in silence");
        return;
    }
    summary->plays = true;
    summary->rate = wave->rate;
    summary->channels = wave->channels;
    summary->seconds = wave->rate > 0 ? double(wave->Frames()) / wave->rate : 0.0;
    if (wave->Frames() == 0)
        findings->Warning(whole, "holds no samples: the viewer plays silence");
}
