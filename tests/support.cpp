#include "tests/support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "app/shell.h"
#include "app/watch.h"
#include "files/settings.h"
#include "game/game.h"
#include "game/seams.h"
#include "levelsets/level_sets.h"
#include "sprites/ticks.h"
#include "window/window.h"

void OpenTestScreen() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    }
    screen = SDL_SetVideoMode(640, 480, 32, SDL_SWSURFACE);
    ASSERT_NE(screen, nullptr) << SDL_GetError();
}

TempDir::TempDir() {
    char pattern[] = "/tmp/quarndel-test-XXXXXX";
    char *made = mkdtemp(pattern);
    if (made == nullptr) {
        ADD_FAILURE() << "mkdtemp failed";
        return;
    }
    path = made;
}

TempDir::~TempDir() {
    if (!path.empty()) {
        std::string command = "rm -rf '" + path + "'";
        if (system(command.c_str()) != 0) {
            fprintf(stderr, "could not remove %s\n", path.c_str());
        }
    }
}

void MakeDirs(const std::string &path) {
    std::string partial;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') {
            if (!partial.empty()) {
                mkdir(partial.c_str(), 0755);
            }
        }
        if (i < path.size()) {
            partial += path[i];
        }
    }
}

void WriteFile(const std::string &path, const std::string &contents) {
    std::ofstream out(path, std::ios::binary);
    out << contents;
    ASSERT_TRUE(out.good()) << path;
}

namespace {

SDL_Surface *MakeRgbSurface(int w, int h) {
    return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 24, 0x0000ff, 0x00ff00, 0xff0000, 0);
}

void PutPixel(SDL_Surface *s, int x, int y, Uint32 rgb) {
    Uint8 *p = (Uint8 *)s->pixels + y * s->pitch + x * 3;
    p[0] = (rgb >> 16) & 0xff;
    p[1] = (rgb >> 8) & 0xff;
    p[2] = rgb & 0xff;
}

} // namespace

void WriteBmp(const std::string &path, int w, int h, Uint8 r, Uint8 g, Uint8 b) {
    SDL_Surface *s = MakeRgbSurface(w, h);
    ASSERT_NE(s, nullptr);
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, r, g, b));
    ASSERT_EQ(SDL_SaveBMP(s, path.c_str()), 0) << path;
    SDL_FreeSurface(s);
}

Uint32 ColumnColour(int column) {
    return 0x010000u * (column % 256) + 0x000100u * (column / 256 + 1) + 0x40;
}

void WriteWav(const std::string &path, int ms) {
    const int rate = 22050;
    int count = rate * ms / 1000;
    std::string data;
    for (int i = 0; i < count; ++i) {
        int v = (i / 25) % 2 == 0 ? 8000 : -8000; // 441 Hz
        data += (char)(v & 0xff);
        data += (char)((v >> 8) & 0xff);
    }
    auto le = [](uint32_t v, int bytes) {
        std::string s;
        for (int i = 0; i < bytes; ++i) {
            s += (char)((v >> (8 * i)) & 0xff);
        }
        return s;
    };
    std::string fmt =
        le(16, 4) + le(1, 2) + le(1, 2) + le(rate, 4) + le(rate * 2, 4) + le(2, 2) + le(16, 2);
    std::string body = "WAVEfmt " + fmt + "data" + le(data.size(), 4) + data;
    WriteFile(path, "RIFF" + le(body.size(), 4) + body);
}

void WriteStripedBackground(const std::string &path) {
    SDL_Surface *s = MakeRgbSurface(640, 480);
    ASSERT_NE(s, nullptr);
    SDL_LockSurface(s);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            PutPixel(s, x, y, ColumnColour(x));
        }
    }
    SDL_UnlockSurface(s);
    ASSERT_EQ(SDL_SaveBMP(s, path.c_str()), 0);
    SDL_FreeSurface(s);
}

void WriteSpriteSet(const std::string &dir, int frames, int w, int h, int pause) {
    MakeDirs(dir);
    std::string info = "FILES: " + std::to_string(frames) + "\n";
    for (int i = 0; i < frames; ++i) {
        std::string name = "f" + std::to_string(i) + ".bmp";
        WriteBmp(dir + "/" + name, w, h, 40 + i, 80, 120);
        info += name + " " + std::to_string(pause) + " 0 0 0\n";
    }
    WriteFile(dir + "/info", info);
}

Uint32 PixelAt(SDL_Surface *surface, int x, int y) {
    SDL_LockSurface(surface);
    Uint8 *row = (Uint8 *)surface->pixels + y * surface->pitch;
    Uint32 value = 0;
    switch (surface->format->BytesPerPixel) {
    case 4:
        value = ((Uint32 *)row)[x];
        break;
    case 3: {
        Uint8 *p = row + x * 3;
        value = p[0] | (p[1] << 8) | (p[2] << 16);
        break;
    }
    default:
        value = ((Uint16 *)row)[x];
    }
    SDL_UnlockSurface(surface);
    Uint8 r, g, b;
    SDL_GetRGB(value, surface->format, &r, &g, &b);
    return (r << 16) | (g << 8) | b;
}

std::string ReadBack(FILE *file) {
    std::string text;
    rewind(file);
    int c;
    while ((c = fgetc(file)) != EOF) {
        text += (char)c;
    }
    return text;
}

int RunCommand(const std::string &command, std::string *output) {
    FILE *pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    char buffer[512];
    std::string text;
    while (fgets(buffer, sizeof buffer, pipe) != nullptr) {
        text += buffer;
    }
    int status = pclose(pipe);
    if (output != nullptr) {
        *output = text;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void WriteLevel(const std::string &dir, const std::string &contents) {
    MakeDirs(dir);
    WriteFile(dir + "/leveldata", contents);
}

namespace {
// The test binaries run the game as the program does: with the window's
// input translated and the replay hooks in place.
const bool kHooksInstalled = (InstallDesktopHooks(), true);
// Neither the tests nor the games they start read or write the player's
// own settings or scores: both folders lie in a scratch folder of this
// process, removed when it ends.
std::string scratchHome;
void RemoveScratchHome() {
    if (!scratchHome.empty()) {
        std::string command = "rm -rf '" + scratchHome + "'";
        if (system(command.c_str()) != 0) {
            fprintf(stderr, "could not remove %s\n", scratchHome.c_str());
        }
    }
}
bool PointHomeFoldersAtScratch() {
    char path[] = "/tmp/quarndel-test-home.XXXXXX";
    if (mkdtemp(path) == nullptr) {
        abort(); // no test may run against the player's own folders
    }
    scratchHome = path;
    setenv("XDG_CONFIG_HOME", (scratchHome + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (scratchHome + "/data").c_str(), 1);
    atexit(RemoveScratchHome);
    return true;
}
const bool kScratchHome = PointHomeFoldersAtScratch();
} // namespace

void ResetGlobals() {
    level = LevelInfo();
    background = nullptr;
    levelImage = nullptr;
    pausedImage = nullptr;
    gameOverImage = nullptr;
    font = nullptr;
    difficulty = 0;
    ship = PlayerShip();
    shots = ProjectilePool();
    enemies = EnemyGroup();
    boss = Boss();
    game = Game();
    lastFpsTime = 0;
    frameCounter = 0;
    ClearFakeTicks();
    launch = LaunchChoices();
    ResetWindow();
    ForgetSettings();
    StopLevelWatch();
    ForgetLevelSet();
    hooks = GameHooks();
    InstallDesktopHooks();
}

void ResetSdlInput() {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return; // no keys held and no queue before SDL first starts
    }
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
    }
    int count = 0;
    Uint8 *held = SDL_GetKeyState(&count);
    memset(held, 0, count);
}

WorkingDir::WorkingDir(const std::string &dir) {
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer) != nullptr) {
        previous = buffer;
    }
    EXPECT_EQ(chdir(dir.c_str()), 0) << dir;
}

WorkingDir::~WorkingDir() {
    if (!previous.empty() && chdir(previous.c_str()) != 0) {
        fprintf(stderr, "could not return to %s\n", previous.c_str());
    }
}

void WriteTestFont(const std::string &dir) {
    MakeDirs(dir);
    WriteFile(dir + "/font.ini", "256\n");
    WriteFile(dir + "/font.raw", std::string(256 * 256, '\xff'));
    WriteFile(dir + "/font.dat", std::string(256, '\x08'));
}

void WriteTestDataTree(const std::string &root) {
    std::string data = root + "/data";
    MakeDirs(data + "/difficulty");
    WriteBmp(data + "/titlescreen.bmp", 640, 480, 10, 20, 30);
    WriteBmp(data + "/difficulty/0.bmp", 100, 20, 200, 0, 0);
    WriteBmp(data + "/difficulty/1.bmp", 100, 20, 0, 200, 0);
    WriteBmp(data + "/difficulty/2.bmp", 100, 20, 0, 0, 200);
    WriteBmp(data + "/paused.bmp", 200, 50, 90, 90, 0);
    WriteBmp(data + "/gameover.bmp", 300, 50, 120, 0, 120);
    WriteSpriteSet(data + "/cursor", 2, 32, 32);
    WriteSpriteSet(data + "/ship", 2, 72, 52);
    WriteSpriteSet(data + "/bullet", 2, 16, 6);
    WriteSpriteSet(data + "/enemy", 2, 48, 48);
    WriteSpriteSet(data + "/boss", 2, 200, 200);
    WriteTestFont(data + "/font");
    MakeDirs(data + "/sounds");
    for (const char *name : {"shot", "enemy_hit", "enemy_destroyed", "boss_hit", "boss_destroyed",
                             "ship_hit", "game_over", "new_game", "menu_move", "menu_choose"}) {
        WriteWav(data + "/sounds/" + name + ".wav", 300);
    }
    MakeDirs(data + "/level_1");
    MakeDirs(data + "/level_2");
    WriteStripedBackground(data + "/level_1/scene.bmp");
    WriteBmp(data + "/level_2/scene.bmp", 640, 480, 0, 0, 90);
    WriteBmp(data + "/level_1/title.bmp", 100, 40, 250, 250, 250);
    WriteBmp(data + "/level_2/title.bmp", 100, 40, 250, 250, 0);
    WriteLevel(data + "/level_1", "LEVEL: 1\n# test level\nLEVEL IMAGE: data/level_1/title.bmp\n"
                                  "NEXT LEVEL: data/level_2\nDISTANCE: 1\nBOSS: data/boss\n"
                                  "BOSS_HP: 2\nSCENE: data/level_1/scene.bmp\nSHIP: data/ship\n"
                                  "BULLET: data/bullet\nENEMY 1: 0 1 0\nENEMY 2: 0 1 0\n"
                                  "ENEMY 3: 0 1 0\n");
    WriteLevel(data + "/level_2",
               "LEVEL: 2\nLEVEL IMAGE: data/level_2/title.bmp\n"
               "NEXT LEVEL: none\nDISTANCE: 2\nBOSS_HP: 4\n"
               "SCENE: data/level_2/scene.bmp\nENEMY 1: 0 2 1\nENEMY 2: 0 2 1\n");
}

void PushKey(SDLKey key) {
    PushKeyWith(key, KMOD_NONE);
}

void PushKeyWith(SDLKey key, SDLMod mod) {
    SDL_Event event = {};
    event.type = SDL_KEYDOWN;
    event.key.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = key;
    event.key.keysym.mod = mod;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

void PushAxis(Uint8 axis, Sint16 value) {
    SDL_Event event = {};
    event.type = SDL_JOYAXISMOTION;
    event.jaxis.type = SDL_JOYAXISMOTION;
    event.jaxis.which = 0;
    event.jaxis.axis = axis;
    event.jaxis.value = value;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

void PushHat(Uint8 value) {
    SDL_Event event = {};
    event.type = SDL_JOYHATMOTION;
    event.jhat.type = SDL_JOYHATMOTION;
    event.jhat.which = 0;
    event.jhat.hat = 0;
    event.jhat.value = value;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

void PushButton(Uint8 button, bool pressed) {
    SDL_Event event = {};
    event.type = pressed ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
    event.jbutton.type = event.type;
    event.jbutton.which = 0;
    event.jbutton.button = button;
    event.jbutton.state = pressed ? SDL_PRESSED : SDL_RELEASED;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

void PushQuit() {
    SDL_Event event = {};
    event.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}
