#include "app/bindings.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

#include <vector>

#include "app/player_files.h"

const char *const kActionNames[kActionCount] = {"up",    "down",   "left",     "right", "fire",
                                                "pause", "choose", "new_game", "quit"};
const SDLKey kActionKeys[kActionCount] = {SDLK_UP, SDLK_DOWN,   SDLK_LEFT, SDLK_RIGHT, SDLK_SPACE,
                                          SDLK_p,  SDLK_RETURN, SDLK_n,    SDLK_ESCAPE};

namespace {

// Most buttons a pad's map covers.
constexpr int kMaxButtons = 32;

// The action of every bound key; -1 for none.
int keyAction[SDLK_LAST];
bool keyActionReady = false;

// Buttons per layout, as SDL numbers them on Linux: Xbox pads A 0, B 1,
// X 2, Back 6, Start 7; PlayStation pads cross 0, circle 1, square 3,
// Share/Select 8, Options/Start 9 (6 and 7 are the triggers there).
struct ButtonMap {
    int button[kActionCount];
};
const ButtonMap kLayouts[] = {
    {{-1, -1, -1, -1, 0, 7, 1, 2, 6}},
    {{-1, -1, -1, -1, 0, 9, 1, 3, 8}},
};

ButtonMap layoutMap = kLayouts[kPadXbox];

// Key lines read but not bound yet.
struct PendingKeys {
    int action;
    std::string value;
    std::string where;
};
std::vector<PendingKeys> pendingKeys;
int fileButton[kActionCount]; // -1 where the file maps none

void MakeReady() {
    if (!keyActionReady) {
        ClearBindings();
    }
}

// The key SDL gives this name (in any case); SDLK_UNKNOWN for none.
SDLKey KeyNamed(const std::string &name) {
    for (int k = SDLK_FIRST + 1; k < SDLK_LAST; ++k) {
        const char *known = SDL_GetKeyName((SDLKey)k);
        if (known != nullptr && strcmp(known, "unknown key") != 0 &&
            strcasecmp(known, name.c_str()) == 0) {
            return (SDLKey)k;
        }
    }
    return SDLK_UNKNOWN;
}

std::string Trim(const std::string &text) {
    size_t first = text.find_first_not_of(" \t");
    size_t last = text.find_last_not_of(" \t");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// Binds the keys of one line to action, or none of them: problem says why.
void ReadKeys(int action, const std::string &value, std::string &problem) {
    // Checked whole before any key is taken: a bad line binds nothing.
    SDLKey keys[16];
    int count = 0;
    size_t start = 0;
    while (start <= value.size()) {
        size_t comma = value.find(',', start);
        if (comma == std::string::npos) {
            comma = value.size();
        }
        std::string name = Trim(value.substr(start, comma - start));
        start = comma + 1;
        SDLKey key = KeyNamed(name);
        if (key == SDLK_UNKNOWN) {
            problem = "unknown key '" + name + "' for " + kActionNames[action];
            return;
        }
        if (key == SDLK_m || key == SDLK_F11) {
            problem = "key '" + name + "' mutes or toggles fullscreen";
            return;
        }
        int other = keyAction[key];
        for (int a = 0; a < kActionCount && other < 0; ++a) {
            other = kActionKeys[a] == key ? a : -1; // a documented key is its action's
        }
        if (other >= 0 && other != action) {
            problem = "key '" + name + "' already belongs to " + kActionNames[other];
            return;
        }
        if (count == 16) {
            problem = std::string("too many keys for ") + kActionNames[action];
            return;
        }
        keys[count++] = key;
    }
    for (int i = 0; i < count; ++i) {
        keyAction[keys[i]] = action;
    }
}

bool ReadButton(int action, const std::string &value, std::string &problem) {
    if (action < kActFire) {
        problem = std::string("the stick and hat steer; pad_") + kActionNames[action] +
                  " cannot be mapped";
        return true;
    }
    long number;
    if (!ParseWholeNumber(value, kMaxButtons - 1, number)) {
        problem = "bad button '" + value + "' for pad_" + kActionNames[action];
        return true;
    }
    int button = (int)number;
    for (int a = 0; a < kActionCount; ++a) {
        if (a != action && fileButton[a] == button) {
            problem = "button " + value + " already belongs to pad_" + kActionNames[a];
            return true;
        }
    }
    fileButton[action] = button;
    return true;
}

} // namespace

bool ReadBinding(const std::string &name, const std::string &value, const std::string &where,
                 std::string &problem) {
    MakeReady();
    problem.clear();
    bool pad = name.compare(0, 4, "pad_") == 0;
    std::string actionName = pad ? name.substr(4) : name;
    for (int a = 0; a < kActionCount; ++a) {
        if (actionName == kActionNames[a]) {
            if (pad) {
                return ReadButton(a, value, problem);
            }
            pendingKeys.push_back({a, value, where});
            return true;
        }
    }
    return false;
}

void ResolveKeyBindings(FILE *err) {
    MakeReady();
    for (const PendingKeys &keys : pendingKeys) {
        std::string problem;
        ReadKeys(keys.action, keys.value, problem);
        if (!problem.empty()) {
            fprintf(err, "quarndel: %s: %s; ignored\n", keys.where.c_str(), problem.c_str());
        }
    }
    pendingKeys.clear();
}

void ClearBindings() {
    pendingKeys.clear();
    for (int &action : keyAction) {
        action = -1;
    }
    for (int &button : fileButton) {
        button = -1;
    }
    layoutMap = kLayouts[kPadXbox];
    keyActionReady = true;
}

SDLKey BoundKey(SDLKey key) {
    MakeReady();
    if (key <= SDLK_FIRST || key >= SDLK_LAST || keyAction[key] < 0) {
        return key;
    }
    return kActionKeys[keyAction[key]];
}

PadLayout LayoutOfPad(const char *name) {
    static const char *const kPlayStationNames[] = {"playstation", "sony", "dualshock", "dualsense",
                                                    "ps3",         "ps4",  "ps5"};
    if (name == nullptr) {
        return kPadXbox;
    }
    std::string lower(name);
    for (char &c : lower) {
        c = (char)tolower((unsigned char)c);
    }
    for (const char *known : kPlayStationNames) {
        if (lower.find(known) != std::string::npos) {
            return kPadPlayStation;
        }
    }
    return kPadXbox;
}

void UsePadLayout(PadLayout layout) {
    MakeReady();
    layoutMap = kLayouts[layout];
}

int ButtonAction(int button) {
    MakeReady();
    for (int a = 0; a < kActionCount; ++a) {
        if (fileButton[a] == button) {
            return a;
        }
    }
    for (int a = 0; a < kActionCount; ++a) {
        // A button the file gave to another action no longer does its
        // layout's one; an action the file moved leaves its old button.
        if (layoutMap.button[a] == button && fileButton[a] < 0) {
            return a;
        }
    }
    return -1;
}
