// Fuzzes the replay file reader.
#include <cstdint>

#include "replay/replay_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Recording recording;
    std::string error;
    if (ParseRecording((const char *)data, size, recording, error)) {
        // A file that reads must be one the replay can walk without leaving
        // its arrays.
        for (const ReplayIteration &it : recording.iterations) {
            if (it.eventCount > kMaxEventsPerIteration ||
                (size_t)it.firstEvent + it.eventCount > recording.events.size()) {
                __builtin_trap();
            }
        }
        if (recording.iterations.size() > kMaxReplayIterations ||
            recording.end.iterations != recording.iterations.size()) {
            __builtin_trap();
        }
    } else if (error.empty()) {
        __builtin_trap(); // a refused file always says why
    }
    return 0;
}
