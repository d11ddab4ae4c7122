#!/usr/bin/env python3
"""Tries a wrong-way include in every room of a build and expects it to fail.

Each room of the house is a library that sees its own headers and those of
the rooms it links to, through view folders of the build tree
(BUILD/rooms/TARGET/FOLDER). For every room this takes the compile command of
one of its sources from BUILD/compile_commands.json and compiles, with the
same command, a probe that includes a header of each other room: a room it
does not link to must fail to build, a room it links to must build (so a
failure means the view refused it, not that the probe is broken).

    tests/rooms/wrong_way_includes.py BUILD_DIR

Prints PASS or FAIL per room and ends with "N passed, M failed".
"""
import json
import os
import re
import shlex
import subprocess
import sys
import tempfile

# The rooms each room may build on, as the house is laid out: the documented
# game's rooms in their order, the level checker's rules beside them, then
# the rooms of the program around the game. A room may see the rooms below
# those too; anything else is a wrong-way link.
BELOW = {
    "strings": [],
    "sprites": ["strings"],
    "text": ["sprites"],
    "level": ["text"],
    "game": ["level"],
    "sound": ["game"],
    "replay": ["game", "strings"],
    "check": ["level", "strings"],
    "launch": [],
    "files": ["replay", "launch", "strings"],
    "window": ["sound", "files"],
    "levelsets": ["check", "files"],
    "screens": ["window", "levelsets"],
    "app": ["screens"],
    "tools/levelcheck": ["levelsets"],
    "web": ["app"],
}


def allowed(folder):
    """The room's own folder and every room below it."""
    seen = {folder}
    todo = list(BELOW.get(folder, []))
    while todo:
        room = todo.pop()
        if room not in seen:
            seen.add(room)
            todo.extend(BELOW.get(room, []))
    return seen


def room_headers(build):
    """Every room's folder and one header in it, from the build's views."""
    rooms = {}
    views = os.path.join(build, "rooms")
    for target in sorted(os.listdir(views)):
        for parent, folders, _ in os.walk(os.path.join(views, target)):
            for name in folders:
                folder = os.path.join(parent, name)
                if not os.path.islink(folder):
                    continue
                headers = sorted(f for f in os.listdir(folder) if f.endswith(".h"))
                if headers:
                    rel = os.path.relpath(folder, os.path.join(views, target))
                    rooms[target] = (rel, headers[0])
    return rooms


def command_text(entry):
    """The entry's command with its response files (@FILE, as emscripten's
    toolchain passes the include folders) read in."""
    args = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
    words = []
    for a in args:
        if a.startswith("@"):
            with open(os.path.join(entry["directory"], a[1:])) as f:
                words.append(f.read())
        else:
            words.append(a)
    return " ".join(words)


def probe_command(entry, probe):
    """The entry's compile command, checking syntax of probe instead."""
    args = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
    out = []
    skip = False
    for a in args:
        if skip:
            skip = False
            continue
        if a in ("-o", "-c", "-MF", "-MT", "-MQ"):
            skip = a != "-c"
            continue
        if a == entry["file"] or a in ("-MD", "-MMD"):
            continue
        out.append(a)
    return out + ["-fsyntax-only", probe]


def main():
    build = os.path.abspath(sys.argv[1])
    with open(os.path.join(build, "compile_commands.json")) as f:
        entries = json.load(f)
    rooms = room_headers(build)
    unknown = sorted(folder for folder, _ in rooms.values() if folder not in BELOW)
    if unknown:
        print("FAIL rooms missing from the house's order: " + ", ".join(unknown))
        print("0 passed, 1 failed")
        return 1
    passed = failed = 0
    with tempfile.TemporaryDirectory() as tmp:
        probe = os.path.join(tmp, "probe.cpp")
        for target, (folder, _) in sorted(rooms.items()):
            # One source of the room's own folder, compiled by the room.
            entry = next((e for e in entries
                          if f"/{target}.dir/" in command_text(e) and e["file"].endswith(".cpp")),
                         None)
            if entry is None:
                continue
            seen = re.findall(r"rooms/([A-Za-z0-9_.-]+)", command_text(entry))
            problems = []
            for other, (other_folder, header) in sorted(rooms.items()):
                with open(probe, "w") as p:
                    p.write(f'#include "{other_folder}/{header}"\n')
                built = subprocess.run(probe_command(entry, probe), cwd=entry["directory"],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0
                linked = other in seen
                if linked and other_folder not in allowed(folder):
                    problems.append(f"links {other_folder}, which is not below it")
                if built != linked:
                    problems.append(f"{other_folder}/{header} "
                                    + ("builds but the room does not link it" if built
                                       else "does not build though the room links it"))
            if problems:
                failed += 1
                print(f"FAIL {folder}: " + "; ".join(problems))
            else:
                passed += 1
                print(f"PASS {folder}: sees {len(set(seen))} rooms, "
                      f"{len(rooms) - len(set(seen))} others refused")
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
