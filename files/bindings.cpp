#include "files/bindings.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include <algorithm>
#include <vector>

#include "files/player_files.h"
#include "files/settings_problems.h"
#include "strings/text.h"

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

// The keys the game keeps for itself, whatever the player binds: bound to an
// action, a key would no longer mute, toggle fullscreen, open the options or
// end the game, and could lock the player out of the options screen that
// unbinds it. A refused settings line names M and F11 together.
struct KeptKey {
    SDLKey key;
    const char *does;     // as the options screen says it
    const char *fileSays; // as a refused settings line says it
};
const KeptKey kKeptKeys[] = {
    {SDLK_m, "mutes", "mutes or toggles fullscreen"},
    {SDLK_F11, "toggles fullscreen", "mutes or toggles fullscreen"},
    {SDLK_o, "opens the options", "opens the options"},
    {SDLK_ESCAPE, "ends the game", "ends the game"},
};

// The key's row when the game keeps it from action; null when action may
// have it. Escape stays the quit action's own key.
const KeptKey *KeptFrom(SDLKey key, int action) {
    for (const KeptKey &kept : kKeptKeys) {
        if (kept.key == key && kActionKeys[action] != key) {
            return &kept;
        }
    }
    return nullptr;
}

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

// How many single letters must change to turn a into b (case ignored).
size_t EditDistance(const std::string &a, const std::string &b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t above = row[j];
            bool same = tolower((unsigned char)a[i - 1]) == tolower((unsigned char)b[j - 1]);
            row[j] = std::min(std::min(row[j] + 1, row[j - 1] + 1), diagonal + (same ? 0 : 1));
            diagonal = above;
        }
    }
    return row[b.size()];
}

// Whether every letter of typed comes in known in the same order, as in a
// shortening ("lctrl" of "left ctrl").
bool Shortens(const std::string &typed, const std::string &known) {
    size_t at = 0;
    for (char c : known) {
        if (at < typed.size() && tolower((unsigned char)c) == tolower((unsigned char)typed[at])) {
            ++at;
        }
    }
    return at == typed.size() && typed.size() >= 2;
}

// The key name SDL gives that the player most likely meant: the shortest
// that typed shortens, else the nearest by a few letters; "" for none.
std::string NearestKeyName(const std::string &typed) {
    constexpr size_t kTypo = 1000;             // any shortening comes before any typo
    size_t mostLetters = typed.size() / 3 + 1; // further than this is no likely typo
    std::string best;
    size_t bestCost = SIZE_MAX;
    for (int k = SDLK_FIRST + 1; k < SDLK_LAST; ++k) {
        const char *known = SDL_GetKeyName((SDLKey)k);
        if (known == nullptr || strcmp(known, "unknown key") == 0) {
            continue;
        }
        size_t cost = strlen(known) - typed.size(); // shorter names first
        if (!Shortens(typed, known)) {
            size_t letters = EditDistance(typed, known);
            cost = letters <= mostLetters ? kTypo + letters : SIZE_MAX;
        }
        if (cost < bestCost) {
            best = known;
            bestCost = cost;
        }
    }
    return best;
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
            std::string meant = NearestKeyName(name);
            if (!meant.empty()) {
                problem += ": did you mean '" + meant + "'?";
            }
            return;
        }
        if (const KeptKey *kept = KeptFrom(key, action)) {
            problem = "key '" + name + "' " + kept->fileSays;
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
            std::string told = "quarndel: " + keys.where + ": " + problem + "; ignored";
            fprintf(err, "%s\n", told.c_str());
            NoteSettingsProblem(kActionNames[keys.action], told);
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

bool SetActionKey(int action, SDLKey key, std::string &problem) {
    MakeReady();
    problem.clear();
    const char *name = SDL_GetKeyName(key);
    if (const KeptKey *kept = KeptFrom(key, action)) {
        problem = std::string("'") + name + "' " + kept->does + ": the game keeps it";
        return false;
    }
    int other = key > SDLK_FIRST && key < SDLK_LAST ? keyAction[key] : -1;
    for (int a = 0; a < kActionCount && other < 0; ++a) {
        other = kActionKeys[a] == key ? a : -1;
    }
    if (other >= 0 && other != action) {
        problem = std::string("'") + name + "' already belongs to " + kActionNames[other];
        return false;
    }
    for (int &bound : keyAction) {
        bound = bound == action ? -1 : bound;
    }
    keyAction[key] = action;
    return true;
}

std::string ActionKeysText(int action) {
    MakeReady();
    std::string text = SDL_GetKeyName(kActionKeys[action]);
    for (int k = SDLK_FIRST + 1; k < SDLK_LAST; ++k) {
        if (keyAction[k] == action && k != kActionKeys[action]) {
            text += std::string(", ") + SDL_GetKeyName((SDLKey)k);
        }
    }
    return text;
}

bool SetActionButton(int action, int button, std::string &problem) {
    MakeReady();
    problem.clear();
    int other = ButtonAction(button);
    if (action < kActFire || button < 0 || button >= kMaxButtons) {
        problem = "that button cannot be used";
        return false;
    }
    if (other >= 0 && other != action) {
        problem = "button " + std::to_string(button) + " already belongs to " + kActionNames[other];
        return false;
    }
    fileButton[action] = button;
    return true;
}

int ActionButton(int action) {
    for (int b = 0; b < kMaxButtons; ++b) {
        if (ButtonAction(b) == action) {
            return b;
        }
    }
    return -1;
}
