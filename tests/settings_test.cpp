#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "files/bindings.h"
#include "files/player_files.h"
#include "files/scores.h"
#include "files/settings.h"
#include "tests/support.h"

namespace {

std::string Slurp(const std::string &path) {
    FILE *f = fopen(path.c_str(), "rb");
    if (f == nullptr) {
        return "(none)";
    }
    std::string text = ReadBack(f);
    fclose(f);
    return text;
}

int FilesIn(const std::string &dir) {
    int n = 0;
    if (DIR *d = opendir(dir.c_str())) {
        while (dirent *e = readdir(d)) {
            n += e->d_name[0] != '.';
        }
        closedir(d);
    }
    return n;
}

std::string Used() {
    return "scale=" + std::to_string(settings.scale) +
           " fullscreen=" + std::to_string(settings.fullscreen) +
           " mute=" + std::to_string(settings.mute) +
           " music=" + std::to_string(settings.musicVolume) +
           " effects=" + std::to_string(settings.effectsVolume) +
           " gamepad=" + std::to_string(settings.gamepad) +
           " fire=" + SDL_GetKeyName(BoundKey(SDLK_LCTRL)) +
           " w=" + SDL_GetKeyName(BoundKey(SDLK_w));
}

int FailingRename(const char *, const char *) {
    errno = EIO;
    return -1;
}

int FullDisk(int) {
    errno = ENOSPC;
    return -1;
}

int renames = 0;
int CountedRename(const char *from, const char *to) {
    ++renames;
    return rename(from, to);
}

// A folder where the file cannot be moved aside, but can be replaced.
int AsideRefused(const char *from, const char *to) {
    if (strstr(to, ".unreadable") != nullptr) {
        errno = EACCES;
        return -1;
    }
    return rename(from, to);
}

// The file's bytes, with "<NUL>" standing for a zero byte and "<BIG>" for
// the 70,000 bytes of a file too large to read.
std::string WithNul(std::string text) {
    for (size_t at; (at = text.find("<NUL>")) != std::string::npos;) {
        text.replace(at, 5, std::string(1, '\0'));
    }
    for (size_t at; (at = text.find("<BIG>")) != std::string::npos;) {
        text.replace(at, 5, std::string(70000, '#'));
    }
    return text;
}

const char kDefaults[] =
    "scale=1 fullscreen=0 mute=0 music=100 effects=100 gamepad=1 fire=left ctrl w=w";

TEST(Settings, EachFileGivesWhatTheGameUsesPrintsAndKeeps) {
    enum Folder {
        kNormal,
        kFolderIsAFile,
        kRenameFails,
        kTooLarge,
        kLinked,
        kDiskFull,
        kTooLargeNotMovable, // too large, and it cannot be moved aside
        kTooLargeAgain,      // too large, and an earlier copy is aside already
    };
    struct Case {
        const char *name;
        const char *file; // null: no file
        Folder folder;
        const char *change; // "name=value ..." changed in the game, each written, or null
        std::string used;
        const char *printed;             // with FILE for the file's path
        const char *after;               // the file afterwards; "(none)" when absent
        const char *meanwhile = nullptr; // another game's file, written after loading
    };
    // Files at the size bound and one byte past it.
    const std::string atBound = "mute = on\n" + std::string(64 * 1024 - 11, '#') + "\n";
    const std::string pastBound = atBound + "#";
    const Case cases[] = {
        {"good",
         "scale = 3\nfullscreen = on\nmute = yes\nmusic_volume = 40\n"
         "effects_volume = 0\ngamepad = off\nfire = left ctrl, x\nup = w\n",
         kNormal, nullptr,
         "scale=3 fullscreen=1 mute=1 music=40 effects=0 gamepad=0 fire=space w=up", "", nullptr},
        {"auto scale, no line feed at the end", "scale=auto", kNormal, nullptr,
         "scale=0 fullscreen=0 mute=0 music=100 effects=100 gamepad=1 fire=left ctrl w=w", "",
         nullptr},
        {"unknown name", "colour = blue\nmute = on\n", kNormal, nullptr,
         "scale=1 fullscreen=0 mute=1 music=100 effects=100 gamepad=1 fire=left ctrl w=w",
         "quarndel: FILE:1: unknown setting 'colour'; ignored\n", nullptr},
        {"bad values",
         "scale = 5\nmute = maybe\nmusic_volume = 101\nfullscreen = on\njust text\n"
         "left = w\nup = w\nfire = no such key\npause = m\nfire = o\npause = escape\n"
         "quit = escape\n",
         kNormal, nullptr,
         "scale=1 fullscreen=1 mute=0 music=100 effects=100 gamepad=1 fire=left ctrl w=left",
         "quarndel: FILE:1: bad value '5' for scale: 1 to 4 or auto; ignored\n"
         "quarndel: FILE:2: bad value 'maybe' for mute: on or off; ignored\n"
         "quarndel: FILE:3: bad value '101' for music_volume: 0 to 100; ignored\n"
         "quarndel: FILE:5: not a 'name = value' line; ignored\n"
         "quarndel: FILE:7: key 'w' already belongs to left; ignored\n"
         "quarndel: FILE:8: unknown key 'no such key' for fire; ignored\n"
         "quarndel: FILE:9: key 'm' mutes or toggles fullscreen; ignored\n"
         "quarndel: FILE:10: key 'o' opens the options; ignored\n"
         "quarndel: FILE:11: key 'escape' ends the game; ignored\n",
         nullptr},
        {"comments and unknown lines kept on rewrite",
         "# mine\nscale = 2  \n\nshader = crt\n  # quiet nights\nmute = off # was on\n", kNormal,
         "mute=on",
         "scale=2 fullscreen=0 mute=0 music=100 effects=100 gamepad=1 fire=left ctrl w=w",
         "quarndel: FILE:4: unknown setting 'shader'; ignored\n"
         "quarndel: FILE:6: bad value 'off # was on' for mute: on or off; ignored\n",
         "# mine\nscale = 2  \n\nshader = crt\n  # quiet nights\nmute = on\n"},
        {"a new name goes at the end", "scale = 2\n", kNormal, "fullscreen=on",
         "scale=2 fullscreen=0 mute=0 music=100 effects=100 gamepad=1 fire=left ctrl w=w", "",
         "scale = 2\nfullscreen = on\n"},
        {"another game's change since loading is kept", "mute = off\n", kNormal, "mute=on",
         kDefaults, "", "mute = on\nscale = 3\n", "mute = off\nscale = 3\n"},
        {"an unreadable file is moved aside, never overwritten", "", kTooLarge, "mute=on",
         kDefaults,
         "quarndel: FILE: cannot read the settings file; it is moved aside when a setting "
         "changes\n"
         "quarndel: FILE: cannot read the settings file; moved aside to FILE.unreadable\n",
         "mute = on\n"},
        {"no file and no change makes none", nullptr, kNormal, nullptr, kDefaults, "", "(none)"},
        {"no file, a change makes one", nullptr, kNormal, "mute=on", kDefaults, "", "mute = on\n"},
        {"a failing rename leaves the old file", "mute = off\n", kRenameFails, "mute=on", kDefaults,
         "quarndel: cannot write FILE: rename failed: Input/output error\n", "mute = off\n"},
        {"an unwritable folder: one warning, play goes on", nullptr, kFolderIsAFile,
         "mute=on mute=off fullscreen=on mute=on fullscreen=off", kDefaults,
         "quarndel: cannot write FILE: cannot make its folder: Not a directory\n", "(none)"},
        {"a full disk: one warning for every change", "mute = off\n", kDiskFull,
         "mute=on fullscreen=on mute=on", kDefaults,
         "quarndel: cannot write FILE: write failed: No space left on device\n", "mute = off\n"},
        {"a link stays a link, its file is written with its mode", "mute = off\n", kLinked,
         "mute=on", kDefaults, "", "mute = on\n"},
        {"control bytes are escaped and long values cut",
         "mute = \x1b]0;owned\x07\nmu<NUL>te = on\nmusic_volume = "
         "1234567890123456789012345678901234567890123456789012345678901234567890\n",
         kNormal, nullptr, kDefaults,
         "quarndel: FILE:1: bad value '\\x1b]0;owned\\x07' for mute: on or off; ignored\n"
         "quarndel: FILE:2: unknown setting 'mu\\x00te'; ignored\n"
         "quarndel: FILE:3: bad value "
         "'1234567890123456789012345678901234567890123456789012345678901234...' for "
         "music_volume: 0 to 100; ignored\n",
         nullptr},
        {"the nearest key name and the fit and pad layout values",
         "fire = lctrl\nfullscreen_fit = fill\npad_layout = playstation\nfullscreen_fit = "
         "stretch\n",
         kNormal, nullptr, kDefaults,
         "quarndel: FILE:4: bad value 'stretch' for fullscreen_fit: whole or fill; ignored\n"
         "quarndel: FILE:1: unknown key 'lctrl' for fire: did you mean 'left ctrl'?; ignored\n",
         nullptr},
        {"the top of the scale range", "scale = 4\n", kNormal, nullptr,
         "scale=4 fullscreen=0 mute=0 music=100 effects=100 gamepad=1 fire=left ctrl w=w", "",
         nullptr},
        {"key names in any case", "fire = Left CTRL, X\nup = W\n", kNormal, nullptr,
         "scale=1 fullscreen=0 mute=0 music=100 effects=100 gamepad=1 fire=space w=up", "",
         nullptr},
        {"CRLF line ends", "# mine\r\nscale = 3\r\nmute = on\r\nup = w\r\n\r\n", kNormal, nullptr,
         "scale=3 fullscreen=0 mute=1 music=100 effects=100 gamepad=1 fire=left ctrl w=up", "",
         nullptr},
        {"an unreadable file that cannot be moved aside is not replaced", "<BIG>",
         kTooLargeNotMovable, "mute=on", kDefaults,
         "quarndel: FILE: cannot read the settings file; it is moved aside when a setting "
         "changes\n"
         "quarndel: FILE: cannot read the settings file; mute not kept\n",
         nullptr},
        {"a file at the size bound is read", atBound.c_str(), kNormal, nullptr,
         "scale=1 fullscreen=0 mute=1 music=100 effects=100 gamepad=1 fire=left ctrl w=w", "",
         nullptr},
        {"a file one byte past the size bound is not", pastBound.c_str(), kNormal, nullptr,
         kDefaults,
         "quarndel: FILE: cannot read the settings file; it is moved aside when a setting "
         "changes\n",
         nullptr},
        {"an earlier copy moved aside is never overwritten", "<BIG>", kTooLargeAgain, "mute=on",
         kDefaults,
         "quarndel: FILE: cannot read the settings file; it is moved aside when a setting "
         "changes\n"
         "quarndel: FILE: cannot read the settings file; moved aside to FILE.unreadable.2\n",
         "mute = on\n"},
    };
    OpenTestScreen(); // SDL's key names
    for (const Case &c : cases) {
        TempDir tmp;
        std::string dir = tmp / "config/quarndel";
        if (c.folder == kFolderIsAFile) {
            WriteFile(tmp / "config", "not a folder");
        } else {
            MakeDirs(dir);
        }
        std::string path = dir + "/settings.ini";
        std::string written = path;
        if (c.folder == kLinked) {
            // A dotfile manager's link into a folder of its own.
            MakeDirs(tmp / "dotfiles");
            written = tmp / "dotfiles/settings.ini";
            ASSERT_EQ(symlink("../../dotfiles/settings.ini", path.c_str()), 0);
        }
        if (c.file != nullptr) {
            WriteFile(written, c.folder == kTooLarge ? std::string(70000, '#') : WithNul(c.file));
            chmod(written.c_str(), 0600);
        }
        if (c.folder == kTooLargeAgain) {
            WriteFile(path + ".unreadable", "an earlier copy\n");
        }
        FILE *err = tmpfile();
        LoadSettings(path, err);
        ResolveKeyBindings(err);
        EXPECT_EQ(Used(), c.used) << c.name;
        if (c.meanwhile != nullptr) {
            WriteFile(path, c.meanwhile);
        }
        if (c.folder == kRenameFails) {
            renameForAtomicWrite = FailingRename;
        }
        if (c.folder == kDiskFull) {
            fsyncForAtomicWrite = FullDisk;
        }
        if (c.folder == kTooLargeNotMovable) {
            renameForAtomicWrite = AsideRefused;
        }
        std::string changes = c.change != nullptr ? c.change : "";
        for (size_t at = 0; at < changes.size();) {
            size_t end = std::min(changes.find(' ', at), changes.size());
            std::string change = changes.substr(at, end - at);
            at = end + 1;
            size_t eq = change.find('=');
            EXPECT_TRUE(ChangeSetting(change.substr(0, eq).c_str(), change.c_str() + eq + 1));
            SettingsWrite done = WritePendingSettings(err, 1);
            bool kept = c.folder == kNormal || c.folder == kTooLarge || c.folder == kLinked ||
                        c.folder == kTooLargeAgain;
            EXPECT_EQ(done, kept ? SettingsWrite::kWritten : SettingsWrite::kFailed) << c.name;
        }
        renameForAtomicWrite = rename;
        fsyncForAtomicWrite = fsync;
        std::string printed = c.printed;
        for (size_t at; (at = printed.find("FILE")) != std::string::npos;) {
            printed.replace(at, 4, path);
        }
        EXPECT_EQ(ReadBack(err), printed) << c.name;
        fclose(err);
        std::string after = c.after != nullptr ? c.after : c.file;
        EXPECT_EQ(Slurp(path), WithNul(after)) << c.name;
        if (c.file == nullptr && c.folder == kNormal && after != "(none)") {
            struct stat st; // a new file is the player's to read and edit
            EXPECT_TRUE(stat(path.c_str(), &st) == 0 && (st.st_mode & 0777) == 0644) << c.name;
        }
        if (c.folder == kLinked) {
            struct stat st;
            EXPECT_TRUE(lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) << c.name;
            EXPECT_TRUE(stat(written.c_str(), &st) == 0 && (st.st_mode & 0777) == 0600) << c.name;
            EXPECT_EQ(FilesIn(tmp / "dotfiles"), 1) << c.name << ": a file left beside";
        }
        if (c.folder == kTooLarge) {
            EXPECT_EQ(Slurp(path + ".unreadable"), std::string(70000, '#')) << c.name;
        } else if (c.folder == kTooLargeAgain) {
            EXPECT_EQ(Slurp(path + ".unreadable"), "an earlier copy\n") << c.name;
            EXPECT_EQ(Slurp(path + ".unreadable.2"), std::string(70000, '#')) << c.name;
            EXPECT_EQ(FilesIn(dir), 3) << c.name << ": a file left beside";
        } else if (c.folder != kFolderIsAFile) {
            EXPECT_EQ(FilesIn(dir), after == "(none)" ? 0 : 1) << c.name << ": a file left beside";
        }
        ForgetSettings();
    }
}

// Another game holding the folder's lock never stops the loop: the changes
// wait, every one of them kept, and go into the file in one write once the
// lock is free.
TEST(Settings, ChangesWaitForAnotherGamesLockAndGoInOneWrite) {
    TempDir tmp;
    std::string path = tmp / "settings.ini";
    WriteFile(path, "mute = off\n");
    FILE *err = tmpfile();
    LoadSettings(path, err);
    FolderLock other;
    ASSERT_EQ(TryLockFolder(tmp.Path(), other), LockTaken::kLocked);
    renames = 0;
    renameForAtomicWrite = CountedRename;
    for (int press = 1; press <= 200; ++press) {
        ChangeSetting("mute", OnOff(press % 2 == 1));
        if (press == 101) {
            ChangeSetting("fullscreen", "on");
        }
        EXPECT_EQ(WritePendingSettings(err, 0), SettingsWrite::kBusy) << press;
    }
    EXPECT_EQ(Slurp(path), "mute = off\n");
    WriteFile(path, "mute = off\nscale = 2\n"); // the other game's own change, under its lock
    UnlockFolder(other);
    EXPECT_EQ(WritePendingSettings(err, 0), SettingsWrite::kWritten);
    EXPECT_EQ(WritePendingSettings(err, 0), SettingsWrite::kNothing);
    renameForAtomicWrite = rename;
    EXPECT_EQ(renames, 1);
    EXPECT_EQ(Slurp(path), "mute = off\nscale = 2\nfullscreen = on\n");
    EXPECT_EQ(ReadBack(err), "");
    // The end of the run waits a while; a lock held past it loses the
    // change, told once, and the file stays the other game's.
    ASSERT_EQ(TryLockFolder(tmp.Path(), other), LockTaken::kLocked);
    ChangeSetting("mute", "on");
    EXPECT_EQ(WritePendingSettings(err, 30), SettingsWrite::kFailed);
    EXPECT_EQ(WritePendingSettings(err, 30), SettingsWrite::kNothing);
    UnlockFolder(other);
    EXPECT_EQ(Slurp(path), "mute = off\nscale = 2\nfullscreen = on\n");
    EXPECT_EQ(ReadBack(err), "quarndel: " + path +
                                 ": another game keeps the settings folder locked; the last "
                                 "changes are not kept\n");
    fclose(err);
    ForgetSettings();
}

TEST(Settings, PadButtonsFollowTheLayoutAndTheFile) {
    TempDir tmp;
    WriteFile(tmp / "pad.ini", "pad_fire = 3\npad_pause = 3\npad_up = 1\npad_quit = 12\n");
    FILE *err = tmpfile();
    LoadSettings(tmp / "pad.ini", err);
    EXPECT_EQ(ReadBack(err), "quarndel: " + tmp / "pad.ini" +
                                 ":2: button 3 already belongs to pad_fire; ignored\n"
                                 "quarndel: " +
                                 tmp / "pad.ini" +
                                 ":3: the stick and hat steer; pad_up cannot be mapped; ignored\n");
    fclose(err);
    struct Case {
        PadLayout layout;
        int button, action;
    };
    const Case cases[] = {
        {kPadXbox, 3, kActFire},
        {kPadXbox, 0, -1}, // fire moved to 3 by the file
        {kPadXbox, 6, -1},
        {kPadXbox, 12, kActQuit},
        {kPadXbox, 7, kActPause},
        {kPadPlayStation, 6, -1},
        {kPadPlayStation, 7, -1},
        {kPadPlayStation, 9, kActPause},
        {kPadPlayStation, 1, kActChoose},
    };
    for (const Case &c : cases) {
        UsePadLayout(c.layout);
        EXPECT_EQ(ButtonAction(c.button), c.action) << c.layout << " button " << c.button;
    }
    EXPECT_EQ(LayoutOfPad("Sony Interactive Entertainment Wireless Controller"), kPadPlayStation);
    EXPECT_EQ(LayoutOfPad("Microsoft X-Box 360 pad"), kPadXbox);
    EXPECT_EQ(LayoutOfPad(nullptr), kPadXbox);
    ForgetSettings();
}

TEST(Settings, ThePathFollowsTheNamedFileThenXdgThenHome) {
    std::string saved = getenv("XDG_CONFIG_HOME") != nullptr ? getenv("XDG_CONFIG_HOME") : "";
    setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    EXPECT_EQ(SettingsPath("my.ini"), "my.ini");
    EXPECT_EQ(SettingsPath(nullptr), "/tmp/cfg/quarndel/settings.ini");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsPath(nullptr),
              std::string(getenv("HOME")) + "/.config/quarndel/settings.ini");
    setenv("XDG_CONFIG_HOME", "cfg", 1); // relative: not a base folder
    EXPECT_EQ(SettingsPath(nullptr),
              std::string(getenv("HOME")) + "/.config/quarndel/settings.ini");
    unsetenv("XDG_CONFIG_HOME");
    if (!saved.empty()) {
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    }
    // The score table's folder follows the same rules with XDG_DATA_HOME.
    saved = getenv("XDG_DATA_HOME") != nullptr ? getenv("XDG_DATA_HOME") : "";
    const std::string home = std::string(getenv("HOME")) + "/.local/share/quarndel";
    const char *const dataHomes[][2] = {
        {"/tmp/data", "/tmp/data/quarndel"},
        {nullptr, home.c_str()},
        {"data", home.c_str()}, // relative: ignored
        {"", home.c_str()},
    };
    for (const auto &dataHome : dataHomes) {
        if (dataHome[0] != nullptr) {
            setenv("XDG_DATA_HOME", dataHome[0], 1);
        } else {
            unsetenv("XDG_DATA_HOME");
        }
        EXPECT_EQ(ScoresFolder(nullptr), dataHome[1]) << (dataHome[0] ? dataHome[0] : "unset");
    }
    EXPECT_EQ(ScoresFolder("mine"), "mine");
    if (!saved.empty()) {
        setenv("XDG_DATA_HOME", saved.c_str(), 1);
    } else {
        unsetenv("XDG_DATA_HOME");
    }
}

} // namespace
