#include "app/shell.h"

#include "app/program.h"
#include "app/watch.h"
#include "app/watch_overlay.h"
#include "files/score_keeping.h"
#include "files/settings.h"
#include "game/seams.h"
#include "replay/replay.h"
#include "screens/options_screen.h"
#include "screens/title_screens.h"
#include "sound/effects.h"
#include "sound/music.h"
#include "sound/plug_in.h"
#include "window/input.h"
#include "window/window.h"
#include "window/window_desktop.h"

namespace {

// The window's own events: the keyboard, the gamepad turned into the keys it
// stands for, and the window's closing. Mute and fullscreen act here, so
// they also work while a replay plays or the high scores are shown.
int PollLiveEvent(SDL_Event *event) {
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
// Once the loop has taken every event of an iteration, --watch looks for
// changed level files.
int PollShellEvent(SDL_Event *event) {
    int got = ReplayPollEvent(event, PollLiveEvent);
    if (got == 0) {
        PollLevelWatch();
    }
    return got;
}

// The first frame shown: the mixer is open by then, so the settings' volumes
// can reach every channel. At full volume nothing is touched.
bool volumesSet = false;

void PresentShellFrame(SDL_Surface *picture) {
    if (!volumesSet) {
        volumesSet = true;
        if (settings.musicVolume != 100) {
            SetMusicVolume(settings.musicVolume);
        }
        if (settings.effectsVolume != 100) {
            SetEffectsVolume(settings.effectsVolume);
        }
    }
    DrawWatchOverlay(picture); // with --watch: what the last reload found
    PresentTitleScreens(picture, PresentWindow);
}

// After the frame: a game that has just ended is entered into the scores,
// and settings changed during the iteration are written.
void EndShellIteration(bool drewFrame) {
    EndReplayIteration(drewFrame);
    NoteScoreIteration();
    WritePendingSettings(stderr, 0);
}

} // namespace

void InstallDesktopHooks() {
    hooks.pollEvent = PollShellEvent;
    hooks.seed = ReplaySeed;
    hooks.iterationEnded = EndShellIteration;
    hooks.noWaiting = ReplayWithoutWaiting;
    hooks.openInput = OpenGamepad;
    hooks.openScreen = OpenWindowScreen;
    hooks.present = PresentShellFrame;
    PlugInSound();
    volumesSet = false;
    WindowDesktopParts parts;
    parts.zoom = ZoomIntoArea;
    parts.where = WindowPlace;
    parts.moveTo = MoveWindowTo;
    UseWindowDesktopParts(parts);
}

void ApplyLaunchOptions(const Options &options) {
    // The settings file first; the command line wins over it for this run.
    // A headless replay has no window and no player: it reads none.
    if (!options.headless) {
        LoadSettings(SettingsPath(options.settings), stderr);
    }
    launch.fullscreen = options.fullscreen || settings.fullscreen;
    launch.mute = options.mute || settings.mute;
    int scale = settings.scale;
    if (options.headless) {
        scale = 1; // nothing is shown: no picture to enlarge
    } else if (options.scale != 0) {
        scale = options.scale == kScaleOptionAuto ? kScaleAuto : options.scale;
    }
    PrepareWindow(scale);
    SetFullscreenFill(settings.fillFullscreen);
    AllowOptionsScreen(options.replay == nullptr);
    launch.firstLevel = LaunchFirstLevel(options);
    if (options.watch) {
        StartLevelWatch();
    }
}
