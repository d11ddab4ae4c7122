#pragma once
// The sound's place in the game's seams: the title tune the title screen
// plays and the effects of the events the rules report.

// Sets the game's sound hooks (GameHooks) to the title tune on SDL_mixer and
// the effects. Harmless to call again.
void PlugInSound();
