// Fuzzes the replay file reader.
#include <cstdint>

#include "replay/replay_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Recording recording;
    std::string error;
    if (ParseRecording((const char *)data, size, recording, error)) {
        // A file that reads must be one the replay can walk without leaving
        // its arrays.
        // Only the last iteration of a killed game's recording may lack its
        // digest, and only a recording with an end line counts its iterations.
        size_t count = recording.iterations.size();
        for (size_t i = 0; i < count; ++i) {
            const ReplayIteration &it = recording.iterations[i];
            if (it.eventCount > kMaxEventsPerIteration ||
                (size_t)it.firstEvent + it.eventCount > recording.events.size() ||
                (!it.hasDigest && (i + 1 < count || recording.hasEnd))) {
                __builtin_trap();
            }
        }
        if (count > kMaxReplayIterations ||
            (recording.hasEnd && recording.end.iterations != count)) {
            __builtin_trap();
        }
    } else if (error.empty()) {
        __builtin_trap(); // a refused file always says why
    }
    return 0;
}
