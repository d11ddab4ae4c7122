#!/usr/bin/env python3
"""Checks the house rules a reader relies on in the product code:

- no circle of files: a file is a .h/.cpp (or .c) pair, and it reaches
  another when either half includes the other's header; a circle is a file
  that reaches itself again;
- no file over 400 lines;
- no function over 80 lines, from its first line to its closing brace.

The product code is every C, C++ and JavaScript file of the repository but
tests/, data/ and docs/ (and web/browser.js, the browser's test script).
Functions are found by their braces, after comments, strings and the
preprocessor's lines are blanked out: a brace block at the top of a file, a
namespace or a class, whose opening follows a closing parenthesis, is a
function (in JavaScript also every `function`, method and `=>` body, nested or
not, except the `(() => { ... })()` that wraps a whole file as its module).

Usage: tools/house-check.py [REPOSITORY]   (default: the one holding this)
Prints one line per finding and exits 1 when there is any, else 0.
"""
import os
import re
import subprocess
import sys

MAX_FILE_LINES = 400
MAX_FUNCTION_LINES = 80

C_SUFFIXES = (".c", ".cc", ".cpp", ".h", ".hpp")
JS_SUFFIXES = (".js",)
OUTSIDE = ("tests/", "data/", "docs/")
NOT_PRODUCT = ("web/browser.js",)


def product_files(root):
    try:
        listed = subprocess.run(["git", "-C", root, "ls-files"], check=True,
                                capture_output=True, text=True).stdout.split("\n")
    except (OSError, subprocess.CalledProcessError):
        listed = []
        for folder, dirs, names in os.walk(root):
            dirs[:] = [d for d in dirs if not d.startswith((".", "build"))]
            listed += [os.path.relpath(os.path.join(folder, n), root) for n in names]
    return sorted(p for p in listed
                  if p.endswith(C_SUFFIXES + JS_SUFFIXES) and not p.startswith(OUTSIDE)
                  and p not in NOT_PRODUCT and "node_modules/" not in p
                  and os.path.isfile(os.path.join(root, p)))


# --- Blanking: code with comments, literals and directives turned to spaces,
# newlines kept, so offsets still give line numbers.

def blank_comment(text, out, i):
    """Blanks the // or /* comment at i in out; returns the index past it."""
    n = len(text)
    if text.startswith("//", i):
        end = text.find("\n", i)
        end = n if end < 0 else end
    else:
        end = text.find("*/", i + 2)
        end = n if end < 0 else end + 2
    for j in range(i, end):
        if text[j] != "\n":
            out[j] = " "
    return end


def blank_c(text):
    out = list(text)
    i, n = 0, len(text)
    line_start = True
    while i < n:
        c = text[i]
        if line_start and c == "#":
            # A preprocessor line, with its continuations.
            while i < n and text[i] != "\n":
                if text[i] == "\\" and i + 1 < n and text[i + 1] == "\n":
                    out[i] = " "
                    i += 2
                    continue
                out[i] = " "
                i += 1
            continue
        if c == "\n":
            line_start = True
            i += 1
            continue
        if not c.isspace():
            line_start = False
        if text.startswith(("//", "/*"), i):
            i = blank_comment(text, out, i)
        elif c in "\"'":
            raw = c == '"' and re.search(r'R$', text[max(0, i - 3):i]) and \
                re.match(r'"([^(\s]*)\(', text[i:])
            if raw:
                end = text.find(")" + raw.group(1) + '"', i) + len(raw.group(1)) + 2
            else:
                end = i + 1
                while end < n and text[end] != c and text[end] != "\n":
                    end += 2 if text[end] == "\\" else 1
                end += 1
            for j in range(i + 1, min(end - 1, n)):
                if text[j] != "\n":
                    out[j] = " "
            i = end
        else:
            i += 1
    return "".join(out)


def blank_js(text):
    out = list(text)
    n = len(text)

    def skip_template(i):
        # i is just past a backtick; returns the index past the closing one.
        while i < n and text[i] != "`":
            if text[i] == "\\":
                out[i] = " "
                if i + 1 < n and text[i + 1] != "\n":
                    out[i + 1] = " "
                i += 2
            elif text.startswith("${", i):
                i = skip_code(i + 2, "}")
            else:
                if text[i] != "\n":
                    out[i] = " "
                i += 1
        return i + 1

    def skip_code(i, closer):
        depth = 0
        last = ""
        while i < n:
            c = text[i]
            if closer and c == closer and depth == 0:
                return i + 1
            if c == "{":
                depth += 1
            elif c == "}":
                depth -= 1
            if text.startswith(("//", "/*"), i):
                i = blank_comment(text, out, i)
                continue
            if c == "`":
                i = skip_template(i + 1)
                last = "x"
                continue
            if c in "\"'" or (c == "/" and (last in "(,=:[!&|?{};+-*%<>~^" or
                                            re.search(r"\breturn\s*$", text[max(0, i - 10):i]))):
                end = i + 1
                in_class = False
                while end < n and text[end] != "\n":
                    if text[end] == "\\":
                        end += 2
                        continue
                    if c == "/" and text[end] == "[":
                        in_class = True
                    elif c == "/" and text[end] == "]":
                        in_class = False
                    elif text[end] == c and not in_class:
                        break
                    end += 1
                for j in range(i + 1, min(end, n)):
                    out[j] = " "
                i = end + 1
                last = "x"
                continue
            if not c.isspace():
                last = c
            i += 1
        return i

    skip_code(0, None)
    return "".join(out)


# --- Functions.

C_SCOPE = re.compile(r"\b(namespace|class|struct|union|enum)\b[^()]*$|\bextern\s*$")
C_FUNCTION = re.compile(
    r"\)\s*(const\s*|noexcept\s*|override\s*|final\s*|&\s*|->[^;{}()]*)*$|"
    r"\)\s*:\s*[\w:<>, ]+[({]", re.S)
JS_KEYWORDS = {"if", "for", "while", "switch", "catch", "with", "else", "do", "try", "finally"}
JS_FUNCTION = re.compile(r"(=>|\bfunction\b[^{}]*\))\s*$|"
                         r"(^|[\s,{;])(async\s+|static\s+|get\s+|set\s+)*([\w$]+)\s*\([^{}]*\)\s*$",
                         re.S)
JS_MODULE = re.compile(r"\(\s*(async\s*)?(\(\s*\)\s*=>|function\s*\(\s*\))\s*$")


def function_name(header):
    match = re.search(r"([~\w:$]+)\s*\(", header)
    return match.group(1) if match else "(function)"


def functions(code, javascript):
    """(name, first line, line count, shared) of every function: shared when
    another file may call it (C and C++: not static, not in an anonymous
    namespace, not a member)."""
    found = []
    line_of = lambda at: code.count("\n", 0, at) + 1
    # A stack of (kind, header start, name) per open brace: kinds "scope",
    # "local" (an anonymous namespace), "function", "block" (a function's
    # inner braces or an initialiser).
    stack = []
    last_end = 0
    for match in re.finditer(r"[{};]", code):
        c, at = match.group(), match.start()
        header = code[last_end:at]
        last_end = at + 1
        if c == ";":
            continue
        if c == "}":
            if stack:
                kind, start, name = stack.pop()
                if kind == "function":
                    shared = not javascript and "::" not in name and \
                        not any(k == "local" for k, _, _ in stack) and \
                        not re.match(r"(.*\W)?static\W", code[start:code.find("(", start)])
                    found.append((name, line_of(start), line_of(at) - line_of(start) + 1, shared))
            continue
        start = at - len(header) + (len(header) - len(header.lstrip()))
        inside_function = any(kind == "function" for kind, _, _ in stack)
        stripped = header.strip()
        if javascript:
            tail = re.split(r"[;{}]", stripped)[-1]
            word = re.match(r"[\w$]+", tail.strip())
            if JS_MODULE.search(tail) and not stack:
                stack.append(("scope", start, ""))
            elif JS_FUNCTION.search(tail) and not (word and word.group() in JS_KEYWORDS and
                                                   not tail.strip().startswith("function")):
                stack.append(("function", start, function_name(tail) if "(" in tail else "=>"))
            else:
                stack.append(("block", start, ""))
        elif inside_function or (stack and stack[-1][0] == "block"):
            stack.append(("block", start, ""))
        elif C_SCOPE.search(stripped) and "(" not in stripped.split("=")[0][-1:]:
            stack.append(("local" if re.search(r"\bnamespace\s*$", stripped) else "scope",
                          start, ""))
        elif C_FUNCTION.search(stripped) and not stripped.endswith("="):
            stack.append(("function", start, function_name(stripped)))
        else:
            stack.append(("block", start, ""))
    return found


# --- Circles.

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)


def unit_of(path):
    return os.path.splitext(path)[0]


def dependencies(files, code, shared):
    """The files each file reaches: those whose headers either half includes,
    and those defining a function it calls that a header it includes
    declares (a header of declarations shared by several files hides calls
    from the includes)."""
    defined = {}
    for name, unit in shared:
        defined.setdefault(name, set()).add(unit)
    defined = {name: units.pop() for name, units in defined.items() if len(units) == 1}
    graph = {}
    for path, text in files.items():
        if not path.endswith(C_SUFFIXES):
            continue
        unit = unit_of(path)
        reached = graph.setdefault(unit, set())
        for name in INCLUDE.findall(text):
            beside = os.path.normpath(os.path.join(os.path.dirname(path), name))
            header = name if name in files else beside if beside in files else None
            if header is None:
                continue
            reached.add(unit_of(header))
            declared = set(re.findall(r"([A-Za-z_]\w*)\s*\(", code[header]))
            called = set(re.findall(r"(?<![\w.>:])([A-Za-z_]\w*)\s*\(", code[path]))
            for function in declared & called:
                if function in defined:
                    reached.add(defined[function])
        reached.discard(unit)
    return graph


def circles(graph):
    """The circles, each once: in every group of files that reach each other,
    the shortest circle through each of them."""
    index, low, on_stack, stack, groups = {}, {}, set(), [], []

    def visit(v):
        index[v] = low[v] = len(index)
        stack.append(v)
        on_stack.add(v)
        for w in sorted(graph.get(v, ())):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            group = set()
            while True:
                w = stack.pop()
                on_stack.discard(w)
                group.add(w)
                if w == v:
                    break
            if len(group) > 1:
                groups.append(group)

    sys.setrecursionlimit(10000)
    for v in sorted(graph):
        if v not in index:
            visit(v)
    result = []
    for group in groups:
        for first in sorted(group):
            ways = {first: [first]}
            queue = [first]
            way = None
            while way is None:
                v = queue.pop(0)
                for w in sorted(graph[v] & group):
                    if w == first:
                        way = ways[v] + [first]
                        break
                    if w not in ways:
                        ways[w] = ways[v] + [w]
                        queue.append(w)
            # Told from its lowest file, so each circle is told once.
            low = way.index(min(way[:-1]))
            way = way[low:-1] + way[:low + 1]
            if way not in result:
                result.append(way)
    return sorted(result)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else \
        os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    files = {}
    for path in product_files(root):
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            files[path] = f.read()
    code, found, shared = {}, {}, set()
    for path, text in files.items():
        javascript = path.endswith(JS_SUFFIXES)
        code[path] = blank_js(text) if javascript else blank_c(text)
        found[path] = functions(code[path], javascript)
        shared |= {(name, unit_of(path)) for name, _, _, other in found[path] if other}
    findings = []
    for way in circles(dependencies(files, code, shared)):
        findings.append("circle: " + " -> ".join(way))
    for path, text in files.items():
        lines = text.count("\n") + (0 if text.endswith("\n") or not text else 1)
        if lines > MAX_FILE_LINES:
            findings.append(f"long file: {path}: {lines} lines")
    for path in files:
        for name, line, count, _ in found[path]:
            if count > MAX_FUNCTION_LINES:
                findings.append(f"long function: {path}:{line}: {name}: {count} lines")
    for finding in findings:
        print(finding)
    return 1 if findings else 0


if __name__ == "__main__":
    sys.exit(main())
