#include "app/loop_shell.h"

#include "app/program.h"
#include "files/score_keeping.h"
#include "files/settings.h"
#include "game/seams.h"
#include "levelsets/level_sets.h"
#include "replay/replay.h"
#include "screens/options_screen.h"
#include "screens/title_screens.h"
#include "sound/effects.h"
#include "sound/music.h"
#include "sound/plug_in.h"
#include "window/input.h"
#include "window/window.h"

namespace {

ShellParts parts;

// The player's events: the keyboard, the gamepad turned into the keys it
// stands for, and the window's closing. Mute and fullscreen act here, so
// they also work while a replay plays or the high scores are shown.
int PollLiveEvent(SDL_Event *event) {
    if (parts.beforePoll != nullptr) {
        parts.beforePoll();
    }
    for (;;) {
        if (!PendingInput(event)) {
            if (SDL_PollEvent(event) == 0) {
                return 0;
            }
            if (TitleScreensTakeRaw(*event)) { // an options item waiting for a key
                continue;
            }
            TranslateInput(event);
        }
        // H on the title: the high scores; O: the options; L: the level sets.
        if (!TitleScreensTake(*event)) {
            return 1;
        }
    }
}

// What the loops take: the live events, recorded or replaced by a recording.
int PollShellEvent(SDL_Event *event) {
    int got = ReplayPollEvent(event, PollLiveEvent);
    if (got == 0 && parts.polled != nullptr) {
        parts.polled();
    }
    return got;
}

Uint32 ShellSeed(Uint32 seed) {
    Uint32 chosen = ReplaySeed(seed);
    if (parts.seeded != nullptr) {
        parts.seeded();
    }
    return chosen;
}

// The first frame shown: the mixer is open by then, so the settings' volumes
// can reach every channel. At full volume nothing is touched.
bool volumesSet = false;

void PresentShellFrame(SDL_Surface *picture) {
    if (parts.framesUnseen != nullptr && parts.framesUnseen()) {
        return;
    }
    if (!volumesSet) {
        volumesSet = true;
        if (settings.musicVolume != 100) {
            SetMusicVolume(settings.musicVolume);
        }
        if (settings.effectsVolume != 100) {
            SetEffectsVolume(settings.effectsVolume);
        }
    }
    if (parts.beforeShow != nullptr) {
        parts.beforeShow(picture);
    }
    PresentTitleScreens(picture, parts.show);
}

// After the frame: a game that has just ended is entered into the scores,
// and settings changed during the iteration are written.
void EndShellIteration(bool drewFrame) {
    EndReplayIteration(drewFrame);
    NoteScoreIteration();
    bool written = WritePendingSettings(stderr, 0) == SettingsWrite::kWritten;
    if (parts.iterationWritten != nullptr) {
        parts.iterationWritten(written);
    }
}

} // namespace

void InstallShell(const ShellParts &given) {
    parts = given;
    hooks.pollEvent = PollShellEvent;
    hooks.seed = ShellSeed;
    hooks.iterationEnded = EndShellIteration;
    hooks.noWaiting = ReplayWithoutWaiting;
    hooks.openInput = OpenGamepad; // the key bindings and the gamepad
    hooks.openScreen = parts.openScreen;
    hooks.present = PresentShellFrame;
    PlugInSound();
    volumesSet = false;
}

void ApplyLaunchOptions(const Options &options) {
    // The settings file first; the command line wins over it for this run.
    // A headless replay has no window and no player: it reads none.
    if (!options.headless) {
        LoadSettings(SettingsPath(options.settings), stderr);
    }
    launch.mute = options.mute || settings.mute;
    if (parts.chooseWindow != nullptr) {
        parts.chooseWindow(options);
    }
    SetFullscreenFill(settings.fillFullscreen);
    AllowOptionsScreen(options.replay == nullptr);
    launch.firstLevel = LaunchFirstLevel(options);
    if (parts.launched != nullptr) {
        parts.launched(options);
    }
}

void ChooseShellLaunch(const Options &options) {
    ApplyLaunchOptions(options);
    ChooseLaunchLevelSet(options, stderr); // the set L picked, kept in the settings
}

void FinishShell() {
    EndScoreKeeping();
    if (parts.finished != nullptr) {
        parts.finished();
    }
}
