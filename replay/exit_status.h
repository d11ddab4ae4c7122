#pragma once
// The exit statuses recording and replaying end the program with.

// Exit status of a replay file that cannot be read.
constexpr int kExitBadReplay = 2;
// Exit status of a verified replay that does not end as recorded.
constexpr int kExitReplayDiffers = 1;
// Exit status of a recording that could not be written whole.
constexpr int kExitRecordingFailed = 3;
