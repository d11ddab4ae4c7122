#include "sound/effects.h"

#include <SDL.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "sound/wav_check.h"
#include "sprites/data_file.h"
#include "sprites/image.h"

namespace {

const char kSoundsFolder[] = "data/sounds";

// Effects play on the first mixer channels, reserved so that nothing else
// takes them, in groups by weight: a burst of light effects only ever
// replaces light ones, so a shot never cuts off a ship hit or an explosion.
enum ChannelGroup { kLight, kHits, kBlasts, kMajor, kGroupCount };
constexpr int kGroupChannels = 4; // effects of one group sounding at once
constexpr int kEffectChannels = kGroupCount * kGroupChannels;

struct Effect {
    const char *path;
    ChannelGroup group;
};

// In the order of GameEvent.
const Effect kEffects[kGameEventCount] = {
    {"data/sounds/shot.wav", kLight},
    {"data/sounds/enemy_hit.wav", kHits},
    {"data/sounds/enemy_destroyed.wav", kBlasts},
    {"data/sounds/boss_hit.wav", kHits},
    {"data/sounds/boss_destroyed.wav", kMajor},
    {"data/sounds/ship_hit.wav", kMajor},
    {"data/sounds/game_over.wav", kMajor},
    {"data/sounds/new_game.wav", kMajor},
    {"data/sounds/menu_move.wav", kLight},
    {"data/sounds/menu_choose.wav", kMajor},
};

// An effect file larger than this is refused like an unreadable one: the
// shipped ones are under 200 KiB, and the mixer converts to 16-bit stereo,
// so a small-rate 8-bit file grows about twentyfold once loaded.
constexpr long kMaxEffectBytes = 1 << 20;

Mix_Chunk *chunks[kGameEventCount] = {};
int starts[kGameEventCount] = {};
bool audioReady = false;
// Read by the mixer's thread for every buffer it fills.
std::atomic<bool> muted{false};

// Called by SDL_mixer after it has mixed the tune and the effects into a
// buffer: while muted the buffer goes out as silence.
void SilenceWhenMuted(void * /*unused*/, Uint8 *stream, int length) {
    if (muted.load()) {
        memset(stream, 0, length);
    }
}

void HaltEffects() {
    if (audioReady) {
        for (int channel = 0; channel < kEffectChannels; ++channel) {
            Mix_HaltChannel(channel);
        }
    }
}

} // namespace

Mix_Chunk *LoadEffectFile(const char *path) {
    // Read like every data file: opening never blocks, a FIFO or device is
    // refused like a missing file, and so is a file over the bound.
    std::string bytes;
    if (ReadRegularFile(path, kMaxEffectBytes, bytes) != FileRead::kRead ||
        !PlainPcmWav((const Uint8 *)bytes.data(), bytes.size())) {
        return nullptr;
    }
    SDL_RWops *rw = SDL_RWFromConstMem(bytes.data(), (int)bytes.size());
    return rw == nullptr ? nullptr : Mix_LoadWAV_RW(rw, 1);
}

void LoadEffects(bool mute) {
    FreeEffects();
    SetMuted(mute);
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    audioReady = Mix_QuerySpec(&frequency, &format, &channels) != 0;
    if (!audioReady) {
        return; // no sound device: silence
    }
    if (Mix_AllocateChannels(-1) < kEffectChannels) {
        Mix_AllocateChannels(kEffectChannels);
    }
    Mix_ReserveChannels(kEffectChannels);
    for (int group = 0; group < kGroupCount; ++group) {
        int first = group * kGroupChannels;
        Mix_GroupChannels(first, first + kGroupChannels - 1, group);
    }
    Mix_SetPostMix(SilenceWhenMuted, nullptr);
    // A data tree without a sounds folder (every tree made before the
    // effects) plays silent and says nothing; in one with the folder, each
    // effect that is missing or refused is reported.
    struct stat info;
    if (stat(kSoundsFolder, &info) != 0 || !S_ISDIR(info.st_mode)) {
        return;
    }
    for (int i = 0; i < kGameEventCount; ++i) {
        chunks[i] = LoadEffectFile(kEffects[i].path);
        if (chunks[i] == nullptr) {
            ReportUnreadable(kEffects[i].path);
        }
    }
}

void FreeEffects() {
    HaltEffects();
    for (int i = 0; i < kGameEventCount; ++i) {
        if (chunks[i] != nullptr) {
            Mix_FreeChunk(chunks[i]);
            chunks[i] = nullptr;
        }
        starts[i] = 0;
    }
}

void PlayEffect(GameEvent event) {
    int i = (int)event;
    if (i < 0 || i >= kGameEventCount || chunks[i] == nullptr || muted.load()) {
        return;
    }
    // A free channel of the effect's group, else the one that has sounded
    // longest: a light effect never takes a heavier one's channel.
    int group = kEffects[i].group;
    int channel = Mix_GroupAvailable(group);
    if (channel < 0) {
        channel = Mix_GroupOldest(group);
    }
    if (channel < 0) {
        channel = group * kGroupChannels;
    }
    if (Mix_PlayChannel(channel, chunks[i], 0) >= 0) {
        starts[i] += 1;
    }
}

void SetMuted(bool mute) {
    muted.store(mute);
    if (mute) {
        HaltEffects(); // no tail of an old effect sounds on unmuting
    }
}

void ToggleMute() {
    SetMuted(!muted.load());
}

bool Muted() {
    return muted.load();
}

int EffectStarts(GameEvent event) {
    int i = (int)event;
    return i >= 0 && i < kGameEventCount ? starts[i] : 0;
}

Mix_Chunk *EffectChunk(GameEvent event) {
    int i = (int)event;
    return i >= 0 && i < kGameEventCount ? chunks[i] : nullptr;
}

void SetEffectsVolume(int percent) {
    if (Mix_QuerySpec(nullptr, nullptr, nullptr) != 0) {
        Mix_Volume(-1, percent * MIX_MAX_VOLUME / 100);
    }
}
