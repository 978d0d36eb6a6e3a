// libFuzzer target: ReadPathRecord over a whole camera path, as the playback
// loop reads it, one record per frame until the end marker or the end of the
// file. Every record takes at least its marker, so a path of n bytes ends
// within n + 1 reads; a reader that stood still would hang the viewer.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "data/PathRecord.h"
#include "data/SharedState.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    pathFile = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (pathFile == nullptr) return 0;
    RunState = 2;
    for (float& value : CameraPose) value = 0.0f;
    size_t reads = 0;
    while (RunState != 0 && !std::feof(pathFile)) {
        if (++reads > size + 1) std::abort();
        ReadPathRecord();
    }
    // Past the end nothing changes any more.
    float before[6];
    for (int i = 0; i < 6; ++i) before[i] = CameraPose[i];
    if (RunState != 0) {
        ReadPathRecord();
        for (int i = 0; i < 6; ++i)
            if (!(before[i] == CameraPose[i] || (before[i] != before[i] && CameraPose[i] != CameraPose[i])))
                std::abort();
    }
    std::fclose(pathFile);
    pathFile = nullptr;
    return 0;
}
