#pragma once
// --watch: live reloading of the level in play for level authors. The files
// the level was set up from (its leveldata, pictures, frame lists and frame
// pictures) and their folders are watched with inotify; once a change has
// settled, the level is read and set up again in place (the ship keeps its
// place, score and lives) and the level checker's findings go to standard
// error and, for a few seconds, onto the play screen.
//
// Nothing here runs unless StartLevelWatch was called: without --watch the
// game opens no inotify descriptor and sets no listener.

// Opens the inotify descriptor and starts following which level the game
// reads. False (with a message on stderr) when inotify is not available; the
// game then plays on without reloading.
bool StartLevelWatch();

// Closes the descriptor and forgets the level; the game plays on unwatched.
void StopLevelWatch();

// True once StartLevelWatch succeeded.
bool LevelWatchRunning();

// Called once per loop iteration, between events: reads what inotify has
// gathered without waiting, and reloads the level once its files have been
// quiet for a moment. Does nothing unless watching.
void PollLevelWatch();

// The files watched for the level in play.
int WatchedFileCount();
