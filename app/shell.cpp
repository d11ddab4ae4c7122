#include "app/shell.h"

#include "app/watch.h"
#include "app/watch_overlay.h"
#include "files/settings.h"
#include "game/seams.h"
#include "window/window.h"
#include "window/window_desktop.h"

namespace {

// The window's scale and fullscreen: the command line's over the settings'.
void ChooseDesktopWindow(const Options &options) {
    launch.fullscreen = options.fullscreen || settings.fullscreen;
    int scale = settings.scale;
    if (options.headless) {
        scale = 1; // nothing is shown: no picture to enlarge
    } else if (options.scale != 0) {
        scale = options.scale == kScaleOptionAuto ? kScaleAuto : options.scale;
    }
    PrepareWindow(scale);
}

void StartWatchWhenAsked(const Options &options) {
    if (options.watch) {
        StartLevelWatch();
    }
}

} // namespace

void InstallDesktopHooks() {
    ShellParts parts;
    parts.openScreen = OpenWindowScreen;
    parts.show = PresentWindow;
    parts.beforeShow = DrawWatchOverlay; // with --watch: what the last reload found
    // Once the loop has taken every event of an iteration, --watch looks for
    // changed level files.
    parts.polled = PollLevelWatch;
    parts.chooseWindow = ChooseDesktopWindow;
    parts.launched = StartWatchWhenAsked;
    InstallShell(parts);
    WindowDesktopParts desktop;
    desktop.zoom = ZoomIntoArea;
    desktop.where = WindowPlace;
    desktop.moveTo = MoveWindowTo;
    UseWindowDesktopParts(desktop);
}
