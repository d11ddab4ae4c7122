#include "check/frame_list.h"

#include <cstdio>
#include <set>
#include <vector>

#include "check/level_keys.h"
#include "check/pictures.h"
#include "check/piece_reader.h"
#include "sprites/data_file.h"
#include "sprites/sprite.h"

namespace {

constexpr int kFrameLineValues = 5; // file name, pause, red, green, blue

struct FrameLine {
    int line = 0;
    std::string name;
};

struct FrameListReading {
    std::string dir;
    std::string path;
    Report &report;
    int announced = -1;           // -1 while line 1 is no FILES line
    std::vector<FrameLine> lines; // every frame line of the file, read or not
};

// The frames the game makes room for, as SpriteSet::Load bounds the count.
int BoundedCount(int announced) {
    if (announced < 0) {
        return 0;
    }
    return announced > kMaxFrames ? kMaxFrames : announced;
}

// "frame 4 draws nothing" or "frames 4 to 7 draw nothing".
std::string FramesDrawNothing(int first, int last) {
    if (first == last) {
        return "frame " + std::to_string(first) + " draws nothing";
    }
    return "frames " + std::to_string(first) + " to " + std::to_string(last) + " draw nothing";
}

void CheckHeader(FrameListReading &r, const LinePiece &piece) {
    int announced = 0;
    if (sscanf(piece.text, kFrameListHeader, &announced) != 1) {
        return;
    }
    r.announced = announced;
    std::string format = std::string(kFrameListHeader) + "%n";
    int end = -1;
    sscanf(piece.text, format.c_str(), &announced, &end);
    std::string rest = end >= 0 ? WithoutLineEnd(piece.text + end) : "";
    if (rest.find_first_not_of(" \t\v\f") != std::string::npos) {
        r.report.Warning(r.path, piece.line,
                         "the game reads FILES as " + std::to_string(announced) + " and ignores " +
                             Quoted(rest.substr(rest.find_first_not_of(" \t\v\f"))));
    }
}

// Checks a frame line the game reads; n is what its scan returned and the
// values are those in effect after it, carried over where the line has none.
void CheckFrameLine(FrameListReading &r, const LinePiece &piece, int n, const char *name, int red,
                    int green, int blue) {
    bool first = r.lines.size() == 1;
    if (n <= 0) {
        if (name[0] != '\0') {
            r.report.Warning(r.path, piece.line,
                             "a line of blanks is not skipped: the game reads it as one more "
                             "frame " +
                                 Quoted(name) + ", repeating the frame line before");
        }
        return;
    }
    if (n < kFrameLineValues) {
        static const char *const kValueNames[kFrameLineValues] = {"file name", "pause", "red",
                                                                  "green", "blue"};
        std::string missing;
        for (int i = n; i < kFrameLineValues; ++i) {
            missing += std::string(missing.empty() ? "" : ", ") + kValueNames[i];
        }
        r.report.Warning(
            r.path, piece.line,
            "the frame line gives " + std::to_string(n) + " of its 5 values: " +
                (first ? "the game takes 0 for the " + missing
                       : "the game repeats the " + missing + " of the frame line before"));
    } else {
        std::string format = std::string(kFrameLineFormat) + "%n";
        char word[kLineSize];
        int numbers[4];
        int end = -1;
        sscanf(piece.text, format.c_str(), word, &numbers[0], &numbers[1], &numbers[2], &numbers[3],
               &end);
        std::string rest = end >= 0 ? WithoutLineEnd(piece.text + end) : "";
        size_t start = rest.find_first_not_of(" \t\v\f");
        if (start != std::string::npos) {
            r.report.Warning(r.path, piece.line,
                             "the game reads the frame line's 5 values and ignores " +
                                 Quoted(rest.substr(start)));
        }
    }
    bool outOfRange = green < 0 || green > 255 || blue < 0 || blue > 255 || red > 255;
    if (n >= 3 && red >= 0 && outOfRange) {
        r.report.Warning(r.path, piece.line,
                         "colour key values count modulo 256: the game makes (" +
                             std::to_string((Uint8)red) + ", " + std::to_string((Uint8)green) +
                             ", " + std::to_string((Uint8)blue) + ") transparent");
    }
}

// Walks the frame-list file as SpriteSet::Load does, but on to its end so
// that lines past the announced count are found too.
void ReadFrameList(FrameListReading &r, PieceReader &reader) {
    LinePiece piece;
    if (!reader.Next(piece)) {
        r.report.Error(r.path, 0, "the frame-list file is empty: the game loads no frames");
        return;
    }
    CheckHeader(r, piece);
    int laterHeader = 0;
    // Values a frame line leaves out carry over from the line before.
    char name[kLineSize] = "";
    int pause = 0;
    int red = 0;
    int green = 0;
    int blue = 0;
    while (reader.Next(piece)) {
        bool tail = piece.column > 1;
        if (tail && IsOnlyLineEnd(piece.text)) {
            continue;
        }
        if (IsFrameListSkippedLine(piece.text)) {
            if (tail) {
                r.report.Warning(r.path, piece.line, TailPieceMessage(piece) + ", which it skips");
            }
            continue;
        }
        if (r.announced < 0) {
            if (laterHeader == 0 && LiteralEnd(kFrameListHeader, piece.text) >= 0) {
                laterHeader = piece.line;
            }
            continue;
        }
        bool read = (int)r.lines.size() < BoundedCount(r.announced);
        int n = read ? sscanf(piece.text, kFrameLineFormat, name, &pause, &red, &green, &blue) : 0;
        r.lines.push_back({piece.line, read ? std::string(name) : std::string()});
        if (!read) {
            continue;
        }
        if (tail) {
            r.report.Warning(r.path, piece.line,
                             TailPieceMessage(piece) + ", which it reads as one more frame line");
        } else {
            CheckFrameLine(r, piece, n, name, red, green, blue);
        }
    }
    if (r.announced >= 0) {
        return;
    }
    if (laterHeader > 0) {
        r.report.Error(r.path, laterHeader,
                       "the FILES line must be the very first line of the file: the game finds no "
                       "frame count and loads no frames");
    } else {
        r.report.Error(r.path, 1,
                       "the first line must be \"FILES: n\": the game finds no frame count and "
                       "loads no frames");
    }
}

void CheckCount(FrameListReading &r) {
    int count = BoundedCount(r.announced);
    int listed = (int)r.lines.size();
    if (r.announced > kMaxFrames) {
        r.report.Error(r.path, 1,
                       "FILES announces " + std::to_string(r.announced) +
                           " frames: the game loads at most " + std::to_string(kMaxFrames));
    } else if (r.announced <= 0) {
        r.report.Error(r.path, 1, "FILES announces no frames: the game draws nothing for this set");
    }
    if (count > listed) {
        r.report.Error(r.path, 1,
                       "FILES announces " + Counted(count, "frame", "frames") +
                           " but the file lists " + std::to_string(listed) + ": " +
                           FramesDrawNothing(listed, count - 1));
    } else if (count < listed && count > 0) {
        r.report.Error(r.path, r.lines[count].line,
                       "FILES announces " + Counted(count, "frame", "frames") +
                           ": the game stops before this line and never reads " +
                           (listed - count == 1 ? std::string("it")
                                                : "the " + std::to_string(listed - count) +
                                                      " frame lines from here on"));
    }
}

std::string FrameFault(const std::string &dir, const std::string &name) {
    if (name.empty()) {
        return "the frame line names no bitmap";
    }
    std::string path = dir + "/" + name;
    if (path.size() >= (size_t)kPathSize) {
        return "the path of " + Quoted(name) + " is longer than " + std::to_string(kPathSize - 1) +
               " characters";
    }
    std::string fault = PictureFault(path);
    return fault.empty() ? "" : Quoted(name) + " " + fault;
}

// Checks the frames SpriteSet::Load made against the lines that name them.
void CheckFrames(FrameListReading &r, const SpriteSet &set, int result) {
    int count = BoundedCount(r.announced);
    int named = count < (int)r.lines.size() ? count : (int)r.lines.size();
    bool stopped = false;
    std::set<std::string> reported;
    for (int i = 0; i < named; ++i) {
        const FrameLine &frame = r.lines[i];
        SDL_Surface *image = set.Image(i);
        if (image == nullptr) {
            // The game stops at the first frame it cannot load; later lines
            // are checked here all the same so every bad file is named.
            std::string fault = FrameFault(r.dir, frame.name);
            if (!fault.empty() && reported.insert(frame.name).second) {
                std::string effect = stopped ? ""
                                             : ": the game stops loading this set here, so " +
                                                   FramesDrawNothing(i, count - 1);
                r.report.Error(r.path, frame.line,
                               "frame " + std::to_string(i) + ": " + fault + effect);
            }
            stopped = true;
            continue;
        }
        if ((image->w != set.w || image->h != set.h) && reported.insert(frame.name).second) {
            r.report.Error(r.path, frame.line,
                           "frame " + std::to_string(i) + " " + Quoted(frame.name) + " is " +
                               SizeText(image->w, image->h) + " but frame 0 is " +
                               SizeText(set.w, set.h) +
                               ": the sprite jumps as it animates and its hit box stays that of "
                               "frame 0");
        }
    }
    if (result != 0 && !stopped) {
        r.report.Error(r.path, 0, "the game cannot load this set");
    }
}

void FreeFrames(SpriteSet &set) {
    for (int i = 0; i < set.frameCount && set.frames != nullptr; ++i) {
        if (set.frames[i].image != nullptr) {
            SDL_FreeSurface(set.frames[i].image);
        }
    }
    delete[] set.frames;
    set.frames = nullptr;
}

} // namespace

std::string FrameListPath(const std::string &dir) {
    std::string path = dir + "/info";
    return path.size() < (size_t)kPathSize ? path : std::string();
}

SetCheck CheckSpriteSet(const std::string &dir, Report &report) {
    SetCheck result;
    std::string path = FrameListPath(dir);
    PieceReader reader;
    if (path.empty() || !reader.Open(path, "r")) {
        return result;
    }
    result.readable = true;
    FrameListReading r{dir, path, report, -1, {}};
    ReadFrameList(r, reader);
    if (r.announced < 0) {
        return result;
    }
    CheckCount(r);

    // The game's own loader decides what the set holds.
    SpriteSet set;
    int loaded = set.Load(dir.c_str());
    CheckFrames(r, set, loaded);
    while (result.frames < set.frameCount && set.Image(result.frames) != nullptr) {
        ++result.frames;
    }
    result.w = set.w;
    result.h = set.h;
    FreeFrames(set);
    return result;
}
