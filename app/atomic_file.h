#pragma once
// Replacing a file the player keeps (settings, scores) so that a crash, a
// kill or a full disk leaves either the old file or the new one, never half
// of one: the new contents go into a temporary file beside the old one, are
// flushed to the disk, and only then renamed over it.
#include <cstdio>
#include <string>

// Writes contents to path: a temporary file in the same folder, fsync,
// rename over path, fsync of the folder. The folder is made when missing
// (with its parents). On any failure the temporary file is removed, path is
// left as it was, one line naming path and the reason goes to err, and the
// result is false.
bool WriteFileAtomically(const std::string &path, const std::string &contents, FILE *err);

// The game's own folder among the player's: $VARIABLE/quarndel when the
// variable holds an absolute path (XDG_CONFIG_HOME, XDG_DATA_HOME), else
// $HOME/underHome/quarndel (".config", ".local/share"); empty when neither
// is known.
std::string PlayerFolder(const char *variable, const char *underHome);

// The rename the writer uses: rename(2), or a test's stand-in.
extern int (*renameForAtomicWrite)(const char *from, const char *to);
