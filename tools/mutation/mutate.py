#!/usr/bin/env python3
"""A mutation run over the game's own code: how many small faults do the tests catch?

Makes one-line changes to every line that ships, by rules (comparison, arithmetic and logical
operators, integer constants one up or down, a dropped statement, two arguments swapped), draws
a sample of them with a seed, and for each builds the game and every test incrementally and runs
the tests. Native code goes through the unit tests, then the end-to-end tests; a change they miss
is tried on the sdl12-compat build (in code whose behaviour differs between the two SDL 1.2s),
on the sanitizer build, and, in code the page compiles too, on the web build with the page
tests. The page's own code (web/: C, C++ and JavaScript) goes to the page tests alone. Prints
each change's outcome as it goes, then the score per area and every survivor.

Nothing in the working tree is changed: the tracked and untracked files are copied into
build-mutants/source, changed there and built in build-mutants/default (and compat, sanitize,
web). Changes listed in tools/mutation/equivalent.txt are known not to change what the game
does and are counted apart. Usage: see docs/README-testing.md or --help.
"""

import argparse
import concurrent.futures
import hashlib
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
EQUIVALENT_LIST = os.path.join(ROOT, "tools", "mutation", "equivalent.txt")
PAGE_RUNNER = os.path.join(ROOT, "tools", "mutation", "page_tests.py")

# The game's own code, compiled by the native builds and the web build alike.
GAME_DIRS = ("frame", "draw", "screens", "game")
# The page's own code: SDL 1.2's drivers for a page, the page's main loop and view of the game,
# and the page's scripts.
PAGE_DIR = "web"
CODE_SUFFIXES = (".cpp", ".c", ".h", ".js")
# Compiled only into the page, although it sits with the game's code.
NOT_NATIVE = re.compile(r"^frame/web_")
# Ships in the site but only runs in the benchmark mode: a developer's tool, as bench/ is.
NOT_SHIPPED = re.compile(r"^web/bench\.js$")
# Macros the native Linux build defines; every other one counts as undefined.
NATIVE_DEFINES = {"NOUGHTS_X11"}
# The macros of the web build's compiler the code asks for; every other one counts as undefined.
PAGE_DEFINES = {"__EMSCRIPTEN__", "__wasm__", "__wasm_simd128__"}
# Files whose behaviour differs between the two SDL 1.2s: the picture loaders differ in what they
# hand back (palettes, alpha, refusals), and only classic SDL 1.2 has a window manager's window
# apart from the one it draws in and names the process on it itself.
COMPAT_FILES = {"frame/picture.cpp", "frame/process.cpp"}

# Code that follows a surface's pixel format, which on the page is one no desktop has.
READS_PIXEL_FORMAT = re.compile(r"->format\b|SDL_GetVideoSurface|SDL_DisplayFormat")

# Where each change is counted: the score is printed for each.
AREAS = ("game", "pictures", "drawing", "frame", "page")
PICTURE_FILES = re.compile(r"^frame/(picture|window_icon)\.")


def area_of(path):
    if path.startswith(PAGE_DIR + "/") or NOT_NATIVE.match(path):
        return "page"
    if path.startswith("game/"):
        return "game"
    if PICTURE_FILES.match(path):
        return "pictures"
    if path.startswith("draw/"):
        return "drawing"
    return "frame"


BUILD_TIMEOUT = 600
# A warning is no fault the tests should catch: a change that only mixes && and || without
# parentheses must still build.
BUILD_OPTIONS = ["-DNOUGHTS_BENCH=OFF", "-DNOUGHTS_WERROR=OFF"]
# The web build script asks for -Werror itself; emcc puts these after every other option.
PAGE_BUILD_ENV = {"EMCC_CFLAGS": "-Wno-error"}
# A test that runs this many times longer than unchanged is taken as hung: caught, not waited for.
SLOWDOWN = 5
MIN_TIMEOUT = {"unit": 20.0, "e2e": 90.0, "fuzz": 60.0, "page": 300.0}
# One browser: the page's code is the same WebAssembly and script in each, and one costs half.
PAGE_BROWSER = "chromium"

# ---------------------------------------------------------------------------------------------
# Reading C, C++ and JavaScript one line at a time

C_TOKEN = re.compile(r"""
    (?P<string>"[^"]*"|'[^']*')
  | (?P<number>0[xX][0-9a-fA-F']+[uUlL]*|\d[\d']*(?:\.\d*)?(?:[eE][+-]?\d+)?[fFuUlL]*)
  | (?P<name>[A-Za-z_]\w*)
  | (?P<op><<=|>>=|\.\.\.|::|->|\+\+|--|<<|>>|<=|>=|==|!=|&&|\|\||\+=|-=|\*=|/=|%=|&=|\|=|\^=
        |[-+*/%<>=!&|^~?:;,.(){}\[\]\#])
    """, re.VERBOSE)
JS_TOKEN = re.compile(r"""
    (?P<string>"[^"]*"|'[^']*'|`[^`]*`)
  | (?P<number>0[xX][0-9a-fA-F_]+n?|\d[\d_]*(?:\.\d*)?(?:[eE][+-]?\d+)?n?)
  | (?P<name>[A-Za-z_$][\w$]*)
  | (?P<op>>>>=|\.\.\.|===|!==|\*\*=|\?\?=|&&=|\|\|=|<<=|>>=|>>>|=>|\?\?|\?\.|\*\*|\+\+|--|<<|>>
        |<=|>=|==|!=|&&|\|\||\+=|-=|\*=|/=|%=|&=|\|=|\^=|[-+*/%<>=!&|^~?:;,.(){}\[\]])
    """, re.VERBOSE)

TYPE_WORDS = {"int", "char", "short", "long", "unsigned", "signed", "float", "double", "bool",
              "void", "auto", "const", "size_t", "ptrdiff_t", "static", "constexpr", "struct",
              "class", "enum", "typename", "template", "using", "typedef", "extern", "inline",
              "namespace", "volatile", "virtual", "override", "operator"}
KEYWORDS = TYPE_WORDS | {"if", "for", "while", "switch", "return", "sizeof", "case", "do",
                         "else", "break", "continue", "new", "delete", "nullptr", "true",
                         "false", "this", "static_cast", "reinterpret_cast", "const_cast",
                         "dynamic_cast", "alignof", "decltype", "noexcept"}
# Words that declare or only qualify what follows in JavaScript.
JS_DECLARING = {"var", "let", "const", "function", "class", "new", "typeof", "void", "delete",
                "await", "async", "yield", "static", "get", "set", "throw", "in", "of",
                "instanceof", "extends", "import", "export", "default"}
JS_KEYWORDS = JS_DECLARING | {"if", "for", "while", "switch", "return", "case", "do", "else",
                              "break", "continue", "try", "catch", "finally", "null",
                              "undefined", "true", "false", "this", "super"}
# Calls whose arguments may come in any order.
SYMMETRIC_CALLS = {"min", "max", "swap"}


class Language:
    def __init__(self, name, token, keywords, type_name):
        self.name, self.token, self.keywords = name, token, keywords
        self.is_type_name = type_name


def c_type_name(text):
    return (text in TYPE_WORDS or text.endswith("_t") or
            (text[0].isupper() and any(c.islower() for c in text)))


C = Language("C", C_TOKEN, KEYWORDS, c_type_name)
# JavaScript has no type names: a capital starts an object as often as a constructor.
JS = Language("JavaScript", JS_TOKEN, JS_KEYWORDS, lambda text: text in JS_DECLARING)


def language_of(path):
    return JS if path.endswith(".js") else C


class Token:
    def __init__(self, kind, text, start):
        self.kind, self.text, self.start = kind, text, start
        self.end = start + len(text)


def tokens(masked, lang=C):
    found = []
    for match in lang.token.finditer(masked):
        kind = match.lastgroup
        found.append(Token(kind, match.group(kind), match.start()))
    return found


# What may come before a regular expression literal rather than a division in JavaScript.
REGEX_AFTER = set("(,=:[!&|?{};~+-*%<>^")


def regex_end(line, i, out):
    """Where the JavaScript regular expression literal starting at line[i] ends (its flags
    included), or None when the slash divides."""
    before = "".join(out).rstrip()
    word = re.search(r"(\w+)$", before)
    if before and before[-1] not in REGEX_AFTER and not (
            word and word.group(1) in ("return", "typeof", "case")):
        return None
    j, in_class = i + 1, False
    while j < len(line):
        if line[j] == "\\":
            j += 2
            continue
        if line[j] == "[":
            in_class = True
        elif line[j] == "]":
            in_class = False
        elif line[j] == "/" and not in_class:
            j += 1
            while j < len(line) and line[j].isalpha():
                j += 1
            return j
        j += 1
    return None


def mask_code(lines, lang=C):
    """Each line with comments blanked out and the insides of literals replaced by 'x', so no
    rule sees them; columns stay where they were. A JavaScript template literal over several
    lines blanks those lines whole, and a regular expression literal reads as a string."""
    masked = []
    in_comment = False
    in_template = False
    for line in lines:
        out = []
        i = 0
        blank = in_template
        while i < len(line):
            if in_comment:
                end = line.find("*/", i)
                stop = len(line) if end < 0 else end + 2
                out.append(" " * (stop - i))
                in_comment = end < 0
                i = stop
            elif in_template:
                end = line.find("`", i)
                stop = len(line) if end < 0 else end + 1
                out.append(" " * (stop - i))
                in_template = end < 0
                i = stop
            elif line.startswith("//", i):
                out.append(" " * (len(line) - i))
                i = len(line)
            elif line.startswith("/*", i):
                in_comment = True
            elif lang is JS and line[i] == "/" and regex_end(line, i, out) is not None:
                j = regex_end(line, i, out)
                out.append('"' + "x" * (j - i - 2) + '"')
                i = j
            elif line[i] in "\"'" or (lang is JS and line[i] == "`"):
                quote = line[i]
                j = i + 1
                while j < len(line) and line[j] != quote:
                    j += 2 if line[j] == "\\" else 1
                if quote == "`" and j >= len(line):
                    in_template = blank = True
                    out.append(" " * (len(line) - i))
                    i = len(line)
                    continue
                j = min(j, len(line) - 1)
                out.append(quote + "x" * (j - i - 1) + quote)
                i = j + 1
            else:
                out.append(line[i])
                i += 1
        masked.append("" if blank else "".join(out))
    return masked


def preprocessor_condition(expression, defines):
    """The truth of an #if expression on a build that defines defines: defined(), !, && and ||
    only; None for an expression beyond those."""
    text = re.sub(r"defined\s*\(\s*(\w+)\s*\)|defined\s+(\w+)",
                  lambda m: "1" if (m.group(1) or m.group(2)) in defines else "0",
                  expression)
    text = re.sub(r"[A-Za-z_]\w*", lambda m: "1" if m.group(0) in defines else "0", text)
    text = text.replace("&&", " and ").replace("||", " or ")
    text = re.sub(r"!(?!=)", " not ", text)
    if not re.fullmatch(r"[\s()01andortn]*", text):
        return None
    return bool(eval(text))  # only 0, 1, and, or, not and parentheses are left


def compiled_lines(masked, defines):
    """For each line, whether a build that defines defines compiles it (and it is no
    preprocessor line). Every branch of an #if that cannot be read counts as compiled: the
    builds then tell whether a change there makes other code."""
    live = []
    stack = []  # per open #if: (enclosing live, some branch taken)
    active = True
    for line in masked:
        directive = re.match(r"\s*#\s*(\w+)\s*(.*)", line)
        if not directive:
            live.append(active)
            continue
        word, rest = directive.groups()
        if word in ("if", "ifdef", "ifndef"):
            if word == "if":
                value = preprocessor_condition(rest, defines)
            else:
                value = (rest.split()[0] in defines) == (word == "ifdef")
            # An unreadable condition takes no branch, so each after it is compiled too.
            stack.append((active, bool(value) and value is not None))
            active = active and value is not False
        elif word == "elif":
            outer, taken = stack[-1]
            value = not taken and preprocessor_condition(rest, defines)
            stack[-1] = (outer, taken or bool(value))
            active = outer and value is not False
        elif word == "else":
            outer, taken = stack[-1]
            stack[-1] = (outer, True)
            active = outer and not taken
        elif word == "endif":
            active = stack.pop()[0]
        live.append(False)
    return live


def page_lines(path, masked):
    """For each line, whether the web build compiles it: C++ in .cpp files, C in .c files, and
    either in a header, which both kinds include."""
    if path.endswith(".js"):
        return [True] * len(masked)
    kinds = {".cpp": [True], ".c": [False]}.get(os.path.splitext(path)[1], [True, False])
    found = [compiled_lines(masked, PAGE_DEFINES | ({"__cplusplus"} if cpp else set()))
             for cpp in kinds]
    return [any(flags) for flags in zip(*found)]


# ---------------------------------------------------------------------------------------------
# The rules

class Mutant:
    def __init__(self, path, number, rule, original, mutated, change, after, native=True,
                 page=False):
        self.path, self.number, self.rule = path, number, rule
        self.original, self.mutated, self.change = original, mutated, change
        # The line before (braces aside), for a line whose text the file holds more than once;
        # else None.
        self.after = after
        # Which builds compile the line: the native ones (and their tests), the web build.
        self.native, self.page = native, page
        self.area = area_of(path)

    def key(self):
        return (self.path, normalized(self.original), normalized(self.mutated))

    def listed_in(self, listed):
        """The reason an entry of listed gives for this change, or None. An entry whose 'to' is
        '*' stands for every change of its line."""
        path, original, mutated = self.key()
        for key in ((path, original, mutated, self.after), (path, original, mutated, None),
                    (path, original, "*", self.after), (path, original, "*", None)):
            if key in listed:
                return listed[key]
        return None

    def where(self):
        column = next((i for i, (a, b) in enumerate(zip(self.original, self.mutated)) if a != b),
                      min(len(self.original), len(self.mutated)))
        return "%s:%d:%d" % (self.path, self.number, column + 1)


def normalized(line):
    return " ".join(line.split())


def replaced(line, token, text):
    return line[:token.start] + text + line[token.end:]


def template_brackets(toks):
    """Indexes of '<' and '>' tokens that bracket template arguments rather than compare."""
    brackets = set()
    for i, tok in enumerate(toks):
        if tok.text != "<" or i == 0 or toks[i - 1].kind != "name":
            continue
        depth = 0
        for j in range(i, len(toks)):
            text = toks[j].text
            if text == "<":
                depth += 1
            elif text == ">":
                depth -= 1
                if depth == 0:
                    brackets.update((i, j))
                    break
            elif toks[j].kind not in ("name", "number") and text not in ("::", "*", "&", ","):
                break
    return brackets


def operand_before(toks, i, lang=C):
    """Whether the token before i ends a value, so toks[i] is a binary operator."""
    if i == 0:
        return False
    before = toks[i - 1]
    if before.kind == "number" or before.text in (")", "]"):
        return True
    if before.kind == "string" and lang is JS:
        return True  # 'px' + x
    return (before.kind == "name" and before.text not in lang.keywords and
            not lang.is_type_name(before.text))


def operand_after(toks, i):
    return i + 1 < len(toks) and (toks[i + 1].kind in ("name", "number", "string") or
                                  toks[i + 1].text in ("(", "!", "-", "~", "*", "&"))


COMPARISONS = {"<": ["<="], "<=": ["<"], ">": [">="], ">=": [">"], "==": ["!="], "!=": ["=="],
               "===": ["!=="], "!==": ["==="]}
ARITHMETIC = {"+": ["-"], "-": ["+"], "*": ["/"], "/": ["*"], "%": ["/"], "<<": [">>"],
              ">>": ["<<"], "&": ["|"], "|": ["&"], "^": ["|"], ">>>": ["<<"]}
ASSIGNMENTS = {"+=": ["-="], "-=": ["+="], "*=": ["/="], "/=": ["*="], "|=": ["&="],
               "&=": ["|="], "<<=": [">>="], ">>=": ["<<="], "++": ["--"], "--": ["++"]}
LOGICAL = {"&&": ["||"], "||": ["&&"]}


def operator_mutants(line, toks, lang=C):
    templates = template_brackets(toks) if lang is C else set()
    for i, tok in enumerate(toks):
        if tok.kind != "op":
            continue
        binary = operand_before(toks, i, lang) and operand_after(toks, i)
        if tok.text in COMPARISONS and i not in templates and binary:
            rule, swaps = "comparison", COMPARISONS[tok.text]
        elif tok.text in ARITHMETIC and binary:
            rule, swaps = "arithmetic", ARITHMETIC[tok.text]
        elif tok.text in ASSIGNMENTS:
            rule, swaps = "arithmetic", ASSIGNMENTS[tok.text]
        elif tok.text in LOGICAL and binary:
            rule, swaps = "logical", LOGICAL[tok.text]
        else:
            continue
        for swap in swaps:
            yield rule, replaced(line, tok, swap), "'%s' -> '%s'" % (tok.text, swap)


def constant_mutants(line, toks):
    for i, tok in enumerate(toks):
        if tok.kind == "name" and tok.text in ("true", "false"):
            other = "false" if tok.text == "true" else "true"
            yield "constant", replaced(line, tok, other), "%s -> %s" % (tok.text, other)
            continue
        match = re.fullmatch(r"(0[xX][0-9a-fA-F]+|\d+)([uUlL]*)", tok.text.replace("'", ""))
        if tok.kind != "number" or not match:
            continue
        digits, suffix = match.groups()
        value = int(digits, 0)
        for changed in (value + 1, value - 1):
            if changed < 0:
                continue
            if digits[:2] in ("0x", "0X"):
                text = digits[:2] + "%0*X" % (len(digits) - 2, changed)
            else:
                text = str(changed)
            text += suffix
            yield "constant", replaced(line, tok, text), "%s -> %s" % (tok.text, text)


ASSIGNING = {"=", "+=", "-=", "*=", "/=", "%=", "|=", "&=", "^=", "<<=", ">>=", "++", "--"}


def is_expression_statement(toks, lang=C):
    """A whole statement on one line that calls, assigns or increments (no declaration)."""
    if len(toks) < 2 or toks[-1].text != ";":
        return False
    first = toks[0].text
    if first in ("break", "continue") or (first == "return" and len(toks) == 2):
        return len(toks) == 2
    if first in ("++", "--"):
        return True
    if toks[0].kind != "name" or first in lang.keywords or lang.is_type_name(first):
        return False
    depth = 0
    for tok in toks:
        depth += {"(": 1, ")": -1, "[": 1, "]": -1}.get(tok.text, 0)
        if depth < 0:
            return False
    if depth != 0:
        return False
    # An object named through . -> :: and [] and then called, assigned or incremented.
    i = 1
    while i < len(toks) and (toks[i].text in (".", "->", "::") or toks[i].kind == "name"):
        if toks[i].kind == "name" and toks[i - 1].kind == "name":
            return False  # "Type name": a declaration
        i += 1
    return i < len(toks) and (toks[i].text == "(" or toks[i].text in ASSIGNING or
                              toks[i].text == "[")


def statement_mutants(line, toks, continues, lang=C):
    if continues or not is_expression_statement(toks, lang):
        return
    indent = line[:len(line) - len(line.lstrip())]
    yield "statement", indent, "dropped '%s'" % normalized(line)


def argument_lists(toks, lang=C):
    """(callee name, [(first token, last token) of each argument]) for each call whose
    arguments all lie on the line."""
    for i, tok in enumerate(toks[:-1]):
        if tok.kind != "name" or toks[i + 1].text != "(" or tok.text in lang.keywords:
            continue
        if i > 0 and toks[i - 1].text == "function":
            continue  # a function's parameters, not a call's arguments
        args, start, depth = [], i + 2, 0
        for j in range(i + 1, len(toks)):
            text = toks[j].text
            if text in ("(", "[", "{"):
                depth += 1
            elif text in (")", "]", "}"):
                depth -= 1
            if depth == 0 or (depth == 1 and text == ","):
                if j > start:
                    args.append((start, j - 1))
                start = j + 1
            if depth == 0:
                yield tok.text, args
                break


def is_declaration(toks, first, last, lang=C):
    kinds = [toks[k] for k in range(first, last + 1)]
    return any(a.kind == "name" and b.kind == "name" for a, b in zip(kinds, kinds[1:])) or (
        kinds[0].kind == "name" and lang.is_type_name(kinds[0].text) and len(kinds) > 1)


def argument_mutants(line, toks, lang=C):
    for callee, args in argument_lists(toks, lang):
        if callee in SYMMETRIC_CALLS:
            continue
        for (a0, a1), (b0, b1) in zip(args, args[1:]):
            if is_declaration(toks, a0, a1, lang) or is_declaration(toks, b0, b1, lang):
                continue
            first = line[toks[a0].start:toks[a1].end]
            second = line[toks[b0].start:toks[b1].end]
            if first == second:
                continue
            mutated = (line[:toks[a0].start] + second + line[toks[a1].end:toks[b0].start] +
                       first + line[toks[b1].end:])
            yield "arguments", mutated, "swapped '%s' and '%s' of %s()" % (first, second, callee)


def script_lines(masked):
    """For each line of C, whether it lies in the JavaScript body of an EM_JS or EM_ASM."""
    inside = []
    depth = 0
    for code in masked:
        inside.append(depth > 0)
        if depth > 0 or re.search(r"\bEM_(JS|ASM\w*)\s*\(", code):
            depth += code.count("{") - code.count("}")
    return inside


def file_mutants(path, text):
    lang = language_of(path)
    lines = text.split("\n")
    masked = mask_code(lines, lang)
    scripts = script_lines(masked) if lang is C else [False] * len(lines)
    in_page = page_lines(path, masked)
    if path.startswith(PAGE_DIR + "/") or NOT_NATIVE.match(path) or lang is JS:
        native = [False] * len(lines)
    else:
        native = compiled_lines(masked, NATIVE_DEFINES)
    previous_end = ";"
    previous = ""
    repeated = {text for text in map(normalized, lines)
                if text and sum(normalized(other) == text for other in lines) > 1}
    for index, (line, code) in enumerate(zip(lines, masked)):
        lang = JS if scripts[index] else language_of(path)
        toks = tokens(code, lang)
        after = previous if normalized(line) in repeated else None
        if line.strip() not in ("", "{", "}"):
            previous = normalized(line)
        if not (native[index] or in_page[index]) or not toks:
            continue
        continues = previous_end not in (";", "{", "}", ":", ")")
        found = [*operator_mutants(line, toks, lang), *constant_mutants(line, toks),
                 *statement_mutants(line, toks, continues, lang),
                 *argument_mutants(line, toks, lang)]
        seen = set()
        for rule, mutated, change in found:
            if mutated != line and mutated not in seen:
                seen.add(mutated)
                yield Mutant(path, index + 1, rule, line, mutated, change, after,
                             native[index], in_page[index])
        previous_end = toks[-1].text


def game_sources(root):
    """Every file of code that ships, game first, then the page's."""
    for folder in GAME_DIRS:
        for name in sorted(os.listdir(os.path.join(root, folder))):
            if name.endswith(CODE_SUFFIXES):
                yield "%s/%s" % (folder, name)
    for folder, subfolders, files in os.walk(os.path.join(root, PAGE_DIR)):
        subfolders[:] = sorted(d for d in subfolders if d != "node_modules")
        for name in sorted(files):
            path = os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")
            if name.endswith(CODE_SUFFIXES) and not NOT_SHIPPED.match(path):
                yield path


def all_mutants(root, only=None):
    found = []
    for path in game_sources(root):
        if only and not any(re.search(pattern, path) for pattern in only):
            continue
        with open(os.path.join(root, path), encoding="utf-8") as source:
            found.extend(file_mutants(path, source.read()))
    return found


# ---------------------------------------------------------------------------------------------
# The list of equivalent changes

def read_equivalent_list(path=EQUIVALENT_LIST):
    with open(path, encoding="utf-8") as source:
        return entries(source.read(), path)


def entries(text, where="the list"):
    """{(file, from, to, after or None): why} from blocks of 'file:', 'from:', 'to:', 'why:' and
    optionally 'after:' lines, a 'why' going on over indented lines; other lines end a block."""
    listed = {}
    entry = {}
    for line in text.split("\n") + [""]:
        field = re.match(r"(file|after|from|to|why):\s?(.*)", line)
        if field:
            entry[field.group(1)] = field.group(2)
            continue
        if line.startswith("  ") and "why" in entry:
            entry["why"] += " " + line.strip()
            continue
        if entry:
            missing = {"file", "from", "to", "why"} - set(entry)
            if missing:
                raise ValueError("%s: an entry lacks %s: %r" % (where, ", ".join(missing), entry))
            after = normalized(entry["after"]) if "after" in entry else None
            listed[(entry["file"].strip(), normalized(entry["from"]), normalized(entry["to"]),
                    after)] = entry["why"].strip()
            entry = {}
    return listed


def equivalent_entry(mutant, why="WHY THE GAME BEHAVES THE SAME"):
    after = "after: %s\n" % mutant.after if mutant.after is not None else ""
    return "file: %s\n%sfrom: %s\nto:   %s\nwhy:  %s\n" % (
        mutant.path, after, normalized(mutant.original), normalized(mutant.mutated), why)


# ---------------------------------------------------------------------------------------------
# Building and testing

class Interrupted(Exception):
    pass


def on_signal(number, _frame):
    raise Interrupted("signal %d" % number)


def tracked_files(root):
    listing = subprocess.run(["git", "ls-files", "-z", "--cached", "--others",
                              "--exclude-standard"], cwd=root, capture_output=True, check=True)
    return [name for name in listing.stdout.decode().split("\0") if name]


class Refused(Exception):
    """Input the run cannot give a true score for: said plainly, with exit status 2."""


def uncommitted_changes(root):
    """The paths git shows as changed, staged or new: a score must belong to a commit."""
    status = subprocess.run(["git", "status", "--porcelain"], cwd=root, capture_output=True,
                            check=True, text=True)
    return [line[3:] for line in status.stdout.splitlines() if line]


def claim_folder(folder, root):
    """Records in folder which tree it serves, or refuses one made for another tree (or, not
    empty, for none known): its copy would be overwritten and its builds mixed with this one."""
    mark = os.path.join(folder, ".mutation-tree")
    if os.path.isfile(mark):
        with open(mark, encoding="utf-8") as recorded:
            tree = recorded.read().strip()
        if tree != root:
            raise Refused("%s serves the tree %s, not %s; name another --folder"
                          % (folder, tree, root))
        return
    if os.path.isdir(folder) and os.listdir(folder):
        raise Refused("%s is not empty and records no tree it serves; remove it or name "
                      "another --folder" % folder)
    os.makedirs(folder, exist_ok=True)
    with open(mark, "w", encoding="utf-8") as recorded:
        recorded.write(root + "\n")


def sync_copy(root, copy):
    """Brings the copy's files up to the working tree's, touching only those that differ so the
    builds stay incremental, and removes those the tree no longer has."""
    # A file deleted in the working tree but not yet in git is gone as well.
    names = [name for name in tracked_files(root) if os.path.isfile(os.path.join(root, name))]
    manifest = os.path.join(copy, ".mutation-copy")
    if os.path.isfile(manifest):
        with open(manifest, encoding="utf-8") as listed:
            for name in set(listed.read().split("\0")) - set(names) - {""}:
                if os.path.isfile(os.path.join(copy, name)):
                    os.remove(os.path.join(copy, name))
    for name in names:
        source = os.path.join(root, name)
        target = os.path.join(copy, name)
        if os.path.isfile(target) and same_bytes(source, target):
            continue
        os.makedirs(os.path.dirname(target), exist_ok=True)
        # Stamped now, not with the tree's time: an object a change rebuilt from the copy's
        # older text after that time would otherwise count as up to date.
        shutil.copy(source, target)
    with open(manifest, "w", encoding="utf-8") as listed:
        listed.write("\0".join(names))


def same_bytes(a, b):
    with open(a, "rb") as first, open(b, "rb") as second:
        return first.read() == second.read()


def run_quiet(command, timeout, cwd=None, env=None):
    """Runs command in a session of its own; returns (exit status or None on timeout, output)."""
    process = subprocess.Popen(command, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               start_new_session=True)
    try:
        output, _ = process.communicate(timeout=timeout)
        return process.returncode, output.decode(errors="replace")
    except subprocess.TimeoutExpired:
        return None, ""
    finally:
        kill_session(process)


def kill_session(process):
    """Ends process's session. SIGTERM first: the end-to-end harness then stops the Xvfb and game
    it started in sessions of their own, which a SIGKILL to this one would leave running."""
    for sig, grace in ((signal.SIGTERM, 5), (signal.SIGKILL, None)):
        try:
            os.killpg(process.pid, sig)
        except (ProcessLookupError, PermissionError):
            pass
        try:
            process.wait(timeout=grace)
            return
        except subprocess.TimeoutExpired:
            pass


def code_digest(obj):
    """A digest of an object file's code, debug information left out (a change of a column
    moves that alone)."""
    with tempfile.TemporaryDirectory() as scratch:
        stripped = os.path.join(scratch, "code.o")
        subprocess.run(["objcopy", "--strip-debug", obj, stripped], check=True)
        with open(stripped, "rb") as code:
            return hashlib.sha256(code.read()).hexdigest()


def sanitizer_env(copy):
    """What tools/linux/sanitizer-options.sh exports, as the test command runs the sanitizer
    build with it."""
    listing = subprocess.run(
        ["bash", "-c", 'root=$1; source "$1/tools/linux/sanitizer-options.sh"; env -0', "_",
         copy], capture_output=True, check=True)
    found = dict(item.split("=", 1) for item in listing.stdout.decode().split("\0") if item)
    return {name: value for name, value in found.items() if name.endswith("SAN_OPTIONS")}


class Build:
    """One CMake build folder of the copy, with its tests as CTest lists them. Every target is
    built, so no test runs a binary made before the change."""

    def __init__(self, name, folder, configure, labels, env=None, digests=False):
        self.name, self.folder, self.configure, self.labels = name, folder, configure, labels
        self.env = env or {}
        # Whether this build tells a change that compiles to the same code.
        self.digests = digests
        self.tests = {}  # label -> [test]
        self.baseline = {}  # test name -> seconds unchanged
        self.unchanged = {}  # object file -> code digest unchanged
        self.current = {}  # object file -> (modification time, code digest) as last built
        self.ready = False

    def environment(self, extra=None):
        return dict(os.environ, **self.env, **(extra or {}))

    def build(self):
        command = ["cmake", "--build", self.folder, "-j2"]
        status, output = run_quiet(command, BUILD_TIMEOUT, env=self.environment())
        return status == 0, output

    def prepare(self, _sources=None):
        """Configures and builds unchanged, lists the tests and times them; raises when the
        unchanged code does not pass."""
        if self.ready:
            return
        print("# %s build: configuring and building in %s" % (self.name, self.folder),
              flush=True)
        status, output = run_quiet(self.configure, BUILD_TIMEOUT * 2, env=self.environment())
        built, more = self.build()
        if status != 0 or not built:
            raise SystemExit("the unchanged code does not build on the %s build:\n%s%s" % (
                self.name, output, more))
        listing = subprocess.run(["ctest", "--test-dir", self.folder, "--show-only=json-v1"],
                                 capture_output=True, check=True)
        for test in json.loads(listing.stdout)["tests"]:
            properties = {p["name"]: p["value"] for p in test.get("properties", [])}
            for label in properties.get("LABELS", []):
                self.tests.setdefault(label, []).append({
                    "name": test["name"], "command": test["command"],
                    "cwd": properties.get("WORKING_DIRECTORY"),
                    "env": dict(item.split("=", 1) for item in properties.get("ENVIRONMENT", []))})
        if self.digests:
            self.same_code()
            self.unchanged = {obj: digest for obj, (_, digest) in self.current.items()}
        for label in self.labels:
            start = time.monotonic()
            failed = self.run_tests(label, {}, timeout_floor=600)
            if failed:
                raise SystemExit("the unchanged code fails %s on the %s build; its output is in %s"
                                 % (failed, self.name,
                                    os.path.join(self.folder, "last-failure.txt")))
            print("# %s build: %d %s tests pass unchanged in %.0f s" % (
                self.name, len(self.tests.get(label, [])), label, time.monotonic() - start),
                flush=True)
        self.ready = True

    def object_files(self):
        found = []
        for folder, _, files in os.walk(self.folder):
            found += [os.path.join(folder, name) for name in files if name.endswith(".o")]
        return sorted(found)

    def same_code(self):
        """Whether every object file, the game's and the tests' alike, holds the code it held
        unchanged: a change in a header reaches all that include it. Only the files built
        since the last look are read again."""
        for obj in self.object_files():
            stamp = os.stat(obj).st_mtime_ns
            if self.current.get(obj, (None,))[0] != stamp:
                self.current[obj] = (stamp, code_digest(obj))
        return all(self.current.get(obj, (None, None))[1] == digest
                   for obj, digest in self.unchanged.items())

    def run_tests(self, label, kills, timeout_floor=0.0):
        """Runs the tests of a label two at a time, those that caught most changes so far first,
        and stops at the first failure; returns the failed test's name (with 'timeout' when it
        hung) or None."""
        order = sorted(self.tests.get(label, []), key=lambda t: -kills.get(t["name"], 0))
        stop = threading.Event()
        running = set()
        lock = threading.Lock()

        def run_once(test):
            limit = max(timeout_floor, MIN_TIMEOUT[label],
                        SLOWDOWN * self.baseline.get(test["name"], 0.0))
            log = tempfile.TemporaryFile()
            process = subprocess.Popen(test["command"], cwd=test["cwd"],
                                       env=self.environment(test["env"]),
                                       stdin=subprocess.DEVNULL, stdout=log,
                                       stderr=subprocess.STDOUT, start_new_session=True)
            with lock:
                running.add(process)
            start = time.monotonic()
            try:
                passed = process.wait(timeout=limit) == 0
                outcome = None if passed else test["name"]
            except subprocess.TimeoutExpired:
                outcome = test["name"] + " (timeout)"
            finally:
                with lock:
                    running.discard(process)
                kill_session(process)
            if outcome is None and not self.ready:
                self.baseline[test["name"]] = time.monotonic() - start
            if outcome is not None and not stop.is_set():
                log.seek(0)
                with open(os.path.join(self.folder, "last-failure.txt"), "wb") as last:
                    last.write(log.read())
            log.close()
            return outcome

        def run(test):
            # On a busy machine an end-to-end test can miss one of its waits: a failure counts
            # once it fails again. A test that overran its time many times over hung.
            outcome = None
            for _ in range(2):
                if stop.is_set():
                    return None
                outcome = run_once(test)
                if outcome is None:
                    return None
                if outcome.endswith("(timeout)"):
                    break
            stop.set()
            with lock:
                others = list(running)
            for other in others:
                try:
                    os.killpg(other.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
            return outcome

        with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
            outcomes = list(pool.map(run, order))
        failed = [o for o in outcomes if o]
        return failed[0] if failed else None


class PageBuild:
    """The copy's web build as tools/web/build.sh makes it (its site in FOLDER/site), and the
    page tests in one browser, stopping at the first failure. A script the site holds as it is
    in the source is copied in; everything else is built again, incrementally."""

    name = "page"

    def __init__(self, folder, copy):
        self.folder, self.copy = folder, copy
        self.site = os.path.join(folder, "site")
        self.ready = False
        self.copied = {}  # script -> the site's files that are copies of it
        self.compiled = set()  # the files the page's own code includes
        self.unchanged = None  # the site's digest unchanged
        self.tests = []  # every page test, in the file's order
        self.baseline = {}  # test -> seconds unchanged
        self.parses = {}  # script -> whether node parses it unchanged
        self.python = None
        # Whether the site still holds the last change that was built rather than copied in.
        self.holds_change = False

    def build(self, timeout=BUILD_TIMEOUT):
        command = ["bash", os.path.join(self.copy, "tools", "web", "build.sh"), self.folder]
        status, output = run_quiet(command, timeout, env=dict(os.environ, **PAGE_BUILD_ENV))
        return status == 0, output

    def prepare(self, sources):
        if self.ready:
            return
        print("# page: building the site in %s" % self.folder, flush=True)
        # The browsers' Node.js tools, which the working tree's page tests have installed.
        tools = os.path.join("tests", "e2e", "web", "node_modules")
        if not os.path.exists(os.path.join(self.copy, tools)):
            if os.path.isdir(os.path.join(ROOT, tools)):
                os.symlink(os.path.join(ROOT, tools), os.path.join(self.copy, tools))
            else:
                subprocess.run(["bash", os.path.join(self.copy, "tools", "web", "test-setup.sh")],
                               check=True)
        built, output = self.build(BUILD_TIMEOUT * 2)
        if not built:
            raise SystemExit("the unchanged code does not build for the page:\n" + output)
        self.unchanged = self.site_digest()
        site_files = [os.path.join(folder, name) for folder, _, names in os.walk(self.site)
                      for name in names]
        for path in sources:
            if path.endswith(".js"):
                source = os.path.join(self.copy, path)
                self.copied[path] = [f for f in site_files if same_bytes(source, f)]
                self.parses[path] = self.parsed(source)
        self.compiled = self.dependencies()
        status, python = run_quiet(["bash", os.path.join(self.copy, "tools", "e2e-python.sh")],
                                   60)
        if status != 0:
            raise SystemExit("no Python for the page tests: " + python)
        self.python = python.strip().splitlines()[-1]
        start = time.monotonic()
        failed = self.run_tests({}, timeout_floor=900)
        if failed:
            raise SystemExit("the unchanged code fails %s in %s; its output is in %s" % (
                failed, PAGE_BROWSER, os.path.join(self.folder, "last-failure.txt")))
        print("# page build: %d page tests pass unchanged in %s in %.0f s" % (
            len(self.tests), PAGE_BROWSER, time.monotonic() - start), flush=True)
        self.ready = True

    def site_digest(self):
        digest = hashlib.sha256()
        for folder, subfolders, names in os.walk(self.site):
            subfolders.sort()
            for name in sorted(names):
                path = os.path.join(folder, name)
                digest.update(os.path.relpath(path, self.site).encode() + b"\0")
                with open(path, "rb") as data:
                    digest.update(hashlib.sha256(data.read()).digest())
        return digest.hexdigest()

    def dependencies(self):
        """The copy's files that the objects of the page's own code depend on, from Ninja's
        record, whose first file of each object is its source."""
        found = set()
        for folder, subfolders, names in os.walk(self.folder):
            subfolders[:] = [d for d in subfolders if d != "site"]
            if "build.ninja" not in names:
                continue
            listing = subprocess.run(["ninja", "-C", folder, "-t", "deps"], capture_output=True)
            files = []
            for line in listing.stdout.decode(errors="replace").splitlines() + [""]:
                if line.startswith("    "):
                    path = os.path.normpath(os.path.join(folder, line.strip()))
                    files.append(os.path.relpath(path, self.copy).replace(os.sep, "/"))
                    continue
                if files and area_of(files[0]) == "page":
                    found.update(files)
                files = []
        return found

    def reaches(self, path):
        """Whether the page's own code includes the file."""
        return path in self.compiled

    @staticmethod
    def parsed(script):
        return subprocess.run(["node", "--check", script], capture_output=True).returncode == 0

    def order(self, kills):
        """The tests whose class and own name caught most so far first, a class's tests
        together, since each class starts the browser once."""
        def class_of(test):
            return test.rsplit(".", 1)[0]
        classes = []
        for test in self.tests:
            if class_of(test) not in classes:
                classes.append(class_of(test))
        score = {c: sum(kills.get(t, 0) for t in self.tests if class_of(t) == c) for c in classes}
        return sorted(self.tests, key=lambda t: (-score[class_of(t)], classes.index(class_of(t)),
                                                 -kills.get(t, 0), self.tests.index(t)))

    def run_queues(self, queues, limit):
        """Runs each queue of tests (every test, for an empty one) in that order in a browser of
        its own, all at once, until a test fails, which stops the others; returns (the failed
        test or None, the tests that passed)."""
        with tempfile.TemporaryDirectory() as scratch:
            runs = []
            for number, tests in enumerate(queues):
                order = os.path.join(scratch, "order%d.json" % number)
                with open(order, "w", encoding="utf-8") as out:
                    json.dump(tests, out)
                result = os.path.join(scratch, "result%d.json" % number)
                log = tempfile.TemporaryFile(dir=scratch)
                command = [self.python, PAGE_RUNNER,
                           os.path.join(self.copy, "tests", "e2e", "web_test.py"),
                           os.path.join(self.site, "index.html"),
                           os.path.join(self.copy, "assets"), order, result]
                process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=log,
                                           stderr=subprocess.STDOUT, start_new_session=True,
                                           env=dict(os.environ, NOUGHTS_BROWSER=PAGE_BROWSER))
                runs.append((process, result, log))
            deadline = time.monotonic() + limit
            failing = None
            try:
                while failing is None and any(p.poll() is None for p, _, _ in runs):
                    if time.monotonic() > deadline:
                        break
                    failing = next((run for run in runs if run[0].poll()), None)
                    time.sleep(0.2)
                failing = failing or next((run for run in runs if run[0].poll()), None)
            finally:
                hung = None if failing else next((run for run in runs if run[0].poll() is None),
                                                 None)
                for process, _, _ in runs:
                    kill_session(process)
            failed, passed = None, []
            for process, result, log in runs:
                try:
                    with open(result, encoding="utf-8") as found:
                        outcome = json.load(found)
                except (OSError, ValueError):
                    outcome = {"tests": [], "failed": None, "seconds": {}}
                if not self.tests:
                    self.tests = outcome["tests"]
                if not self.ready:
                    self.baseline.update(outcome["seconds"])
                passed += [t for t in outcome["seconds"] if t != outcome["failed"]]
                if (process, result, log) == hung:
                    # A test the stop interrupted counts as failed in the record.
                    failed = "%s (timeout)" % (outcome.get("running") or outcome["failed"] or
                                               "page tests")
                elif (process, result, log) == failing:
                    failed = outcome["failed"] or "page tests (exit status %d)" % (
                        process.returncode)
                if (process, result, log) in (hung, failing):
                    log.seek(0)
                    with open(os.path.join(self.folder, "last-failure.txt"), "wb") as last:
                        last.write(log.read())
                log.close()
        return failed, passed

    def split(self, tests):
        """tests in two queues of about equal time unchanged, each keeping their order."""
        queues, times = [[], []], [0.0, 0.0]
        for test in tests:
            shorter = times.index(min(times))
            queues[shorter].append(test)
            times[shorter] += self.baseline.get(test, 0.0)
        return [queue for queue in queues if queue]

    def run_tests(self, kills, timeout_floor=0.0):
        """Runs the page tests two browsers at a time, those that caught most first, and stops
        at the first failure; returns the failed test or None. As on the desktop, a failure
        counts once the test fails again (run alone), and a run far over its time counts as
        hung. Unchanged, the tests run one after another, each timed alone."""
        limit = max(timeout_floor, MIN_TIMEOUT["page"],
                    SLOWDOWN * sum(self.baseline.values()))
        queues = self.split(self.order(kills)) if self.ready else [[]]
        while True:
            failed, passed = self.run_queues(queues, limit)
            if failed is None or failed.endswith("(timeout)"):
                return failed
            again, _ = self.run_queues([[failed]] if failed in self.tests else queues, limit)
            if again is not None:
                return failed
            covered = {t for queue in queues for t in queue} if all(queues) else set(self.tests)
            left = [t for t in (self.order(kills) if self.ready else self.tests)
                    if t in covered and t not in passed and t != failed]
            if not left:
                return None
            queues = self.split(left) if self.ready else [left]

    def try_change(self, mutant, text, original, kills):
        """Builds (or copies in) the copy's changed file and runs the page tests; returns
        'not built', 'same code', the failed test, or None when every test passed."""
        if mutant.path.endswith(".js") and self.parses.get(mutant.path):
            if not self.parsed(os.path.join(self.copy, mutant.path)):
                return "not built"
        copies = self.copied.get(mutant.path)
        if copies:
            # A script copied into a site built with the change before would be tested with
            # that change's code: the copy's sources, this script aside, are unchanged again.
            if self.holds_change:
                built, output = self.build()
                if not built:
                    raise SystemExit("the unchanged code no longer builds for the page:\n" +
                                     output)
                self.holds_change = False
            try:
                for target in copies:
                    with open(target, "w", encoding="utf-8") as out:
                        out.write(text)
                return self.run_tests(kills)
            finally:
                for target in copies:
                    with open(target, "w", encoding="utf-8") as out:
                        out.write(original)
        self.holds_change = True
        built, _ = self.build()
        if not built:
            return "not built"
        if self.site_digest() == self.unchanged:
            return "same code"
        return self.run_tests(kills)


# ---------------------------------------------------------------------------------------------
# The run

class Outcome:
    SAME_CODE = "same code"  # compiles to what the unchanged line does
    LISTED = "listed equivalent"
    NOT_BUILT = "does not build"
    UNIT = "caught by unit tests"
    E2E = "caught by end-to-end tests"
    PAGE = "caught by the page tests"
    COMPAT = "caught only by the sdl12-compat build"
    SANITIZER = "caught only by the sanitizer build"
    PAGE_ONLY = "caught only by the page tests"
    SURVIVED = "survived"


# Caught by the first tests a change meets: the default build's, or the page's for its own code.
CAUGHT_FIRST = (Outcome.UNIT, Outcome.E2E, Outcome.PAGE)
CAUGHT_LATER = (Outcome.COMPAT, Outcome.SANITIZER, Outcome.PAGE_ONLY)


def write_source(copy, path, text):
    """Writes the copy's file only when its text changes, so an unchanged one is not rebuilt."""
    name = os.path.join(copy, path)
    with open(name, encoding="utf-8") as source:
        if source.read() == text:
            return
    with open(name, "w", encoding="utf-8") as source:
        source.write(text)


def ready(build, builds, copy, mutant, original, changed):
    """Makes a build the first time a change needs it. Its baseline is the unchanged code: the
    change waits while it is made."""
    if build.ready:
        return
    write_source(copy, mutant.path, original)
    build.prepare(builds["sources"])
    write_source(copy, mutant.path, changed)


def try_on_page(mutant, builds, copy, kills, original, changed, outcome):
    """The page stage: (outcome, detail), with outcome the one given when the page tests
    catch the change."""
    page = builds["page"]
    ready(page, builds, copy, mutant, original, changed)
    found = page.try_change(mutant, changed, original, kills)
    if found == "not built":
        return Outcome.NOT_BUILT, "the web build or node refused it"
    if found == "same code":
        return Outcome.SAME_CODE, ""
    if found:
        kills[found] = kills.get(found, 0) + 1
        return outcome, found
    return Outcome.SURVIVED, ""


def try_mutant(mutant, copy, builds, texts, kills, listed):
    """Builds and tests one change in the copy; returns (outcome, detail). The copy's file is
    put back before this returns, whatever happens."""
    why = mutant.listed_in(listed)
    if why is not None:
        return Outcome.LISTED, why
    default = builds["default"]
    original = texts[mutant.path]
    lines = original.split("\n")
    lines[mutant.number - 1] = mutant.mutated
    changed = "\n".join(lines)
    write_source(copy, mutant.path, changed)
    def on_page(survived):
        """Whether the game's change is tried on the page when the native builds cannot tell:
        a header the page's own code includes, or a line the page compiles, that every native
        build passed, in a file that reads a surface's pixel format. The page's display is not
        a desktop's (red first, with alpha), so such code can fail there alone; other code runs
        there as on the desktop, and a full page run per survivor would cost a minute each."""
        page = builds["page"]
        if not mutant.page or page is None:
            return False
        if not mutant.path.endswith(".h"):
            return survived and READS_PIXEL_FORMAT.search(original) is not None
        ready(page, builds, copy, mutant, original, changed)
        return page.reaches(mutant.path)

    try:
        if not mutant.native:
            return try_on_page(mutant, builds, copy, kills, original, changed, Outcome.PAGE)
        ready(default, builds, copy, mutant, original, changed)
        built, output = default.build()
        if not built:
            return Outcome.NOT_BUILT, last_error(output)
        if default.same_code():
            if on_page(False):
                found = try_on_page(mutant, builds, copy, kills, original, changed,
                                    Outcome.PAGE_ONLY)
                if found[0] != Outcome.NOT_BUILT:
                    return found
            return Outcome.SAME_CODE, ""
        for label, outcome in (("unit", Outcome.UNIT), ("e2e", Outcome.E2E)):
            failed = default.run_tests(label, kills)
            if failed:
                kills[failed] = kills.get(failed, 0) + 1
                return outcome, failed
        later = [("compat", Outcome.COMPAT)] if mutant.path in COMPAT_FILES else []
        for name, outcome in later + [("sanitize", Outcome.SANITIZER)]:
            build = builds[name]
            ready(build, builds, copy, mutant, original, changed)
            built, output = build.build()
            if not built:
                continue
            for label in build.labels:
                failed = build.run_tests(label, kills)
                if failed:
                    return outcome, failed
        if on_page(True):
            found = try_on_page(mutant, builds, copy, kills, original, changed, Outcome.PAGE_ONLY)
            if found[0] == Outcome.PAGE_ONLY:
                return found
        return Outcome.SURVIVED, ""
    finally:
        write_source(copy, mutant.path, original)


def last_error(output):
    errors = [line for line in output.splitlines() if "error:" in line]
    return errors[0].strip()[:160] if errors else ""


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seed", type=int, default=1,
                        help="chooses the sample: the same seed gives the same changes")
    parser.add_argument("--count", type=int, default=100,
                        help="how many changes that build to try (default 100)")
    parser.add_argument("--files", nargs="*", metavar="REGEX",
                        help="only files of code whose path matches one of these")
    parser.add_argument("--again", metavar="LOG",
                        help="try only the survivors a run printed into LOG (after new tests)")
    parser.add_argument("--only", metavar="REGEX",
                        help="try only the changes whose 'file:line  rule: change' matches")
    parser.add_argument("--list", action="store_true",
                        help="print the whole sample's changes without building anything")
    # Absolute: the builds' tests run in folders of their own and read files of the copy.
    parser.add_argument("--folder", type=os.path.abspath,
                        default=os.path.join(ROOT, "build-mutants"),
                        help="where the copy and its builds live (default build-mutants/)")
    return parser.parse_args()


def describe(mutant):
    return "%s  %s: %s" % (mutant.where(), mutant.rule, mutant.change)


def survivors_in(log):
    """The keys of the survivors a run's output lists."""
    with open(log, encoding="utf-8") as output:
        text = output.read()
    return entries(text.split("\nSurvivors", 1)[1] if "\nSurvivors" in text else "", log)


def sample(mutants, seed):
    """Every change in the seed's order: a run takes them from the front until enough built."""
    order = list(mutants)
    random.Random(seed).shuffle(order)
    return order


def percent(part, whole):
    return "%d of %d (%.0f %%)" % (part, whole, 100.0 * part / whole) if whole else "none"


def report(results, listed_count):
    counts = {}
    for _, outcome, _ in results:
        counts[outcome] = counts.get(outcome, 0) + 1
    equivalent = counts.get(Outcome.SAME_CODE, 0) + counts.get(Outcome.LISTED, 0)
    survivors = [r for r in results if r[1] == Outcome.SURVIVED]
    print()
    print("Changes tried: %d built (%d more did not build)" % (
        len(results) - counts.get(Outcome.NOT_BUILT, 0), counts.get(Outcome.NOT_BUILT, 0)))
    for outcome in CAUGHT_FIRST + CAUGHT_LATER + (Outcome.SURVIVED, Outcome.SAME_CODE,
                                                  Outcome.LISTED):
        print("  %-40s %3d" % (outcome, counts.get(outcome, 0)))
    # The page's own code has no default build: its first tests are the page tests.
    print("Score, default build: %s non-equivalent changes caught" % score(results, CAUGHT_FIRST))
    print("Score, all builds:    %s" % score(results, CAUGHT_FIRST + CAUGHT_LATER))
    for area in AREAS:
        mine = [r for r in results if r[0].area == area]
        if any(r[1] != Outcome.NOT_BUILT for r in mine):
            print("  %-9s all builds %-16s default build %s" % (
                area, score(mine, CAUGHT_FIRST + CAUGHT_LATER), score(mine, CAUGHT_FIRST)))
    print("Equivalent: %d (%d compile to the same code, %d listed; the list has %d entries)" % (
        equivalent, counts.get(Outcome.SAME_CODE, 0), counts.get(Outcome.LISTED, 0),
        listed_count))
    for outcome in (Outcome.SANITIZER, Outcome.PAGE_ONLY):
        group = [r for r in results if r[1] == outcome]
        if group:
            print()
            print("%s:" % (outcome[0].upper() + outcome[1:]))
            for mutant, _, detail in group:
                print("  %s  [%s]" % (describe(mutant), detail))
    compat_only = [r for r in results if r[1] == Outcome.COMPAT]
    for title, group in (("Caught only by the sdl12-compat build", compat_only),
                         ("Survivors", survivors)):
        if not group:
            continue
        print()
        print("%s (each as an entry for tools/mutation/equivalent.txt, if it is one):" % title)
        for mutant, _, detail in group:
            print()
            print("%s  %s: %s%s" % (mutant.where(), mutant.rule, mutant.change,
                                    "  [%s]" % detail if detail else ""))
            print(equivalent_entry(mutant), end="")


def score(results, caught_by):
    """Caught among the changes that are neither equivalent nor unbuilt."""
    real = [r for r in results
            if r[1] in CAUGHT_FIRST + CAUGHT_LATER or r[1] == Outcome.SURVIVED]
    return percent(sum(r[1] in caught_by for r in real), len(real))


def page_available():
    """The page's changes are tried only where the web build is made (tools/web/build.sh):
    its tools and browsers are then installed."""
    return os.path.isdir(os.path.join(ROOT, "build-web"))


def main():
    args = parse_arguments()
    listed = read_equivalent_list()
    mutants = all_mutants(ROOT, args.files)
    order = sample(mutants, args.seed)
    with_page = page_available()
    if not with_page:
        left_out = sum(not m.native for m in order)
        order = [m for m in order if m.native]
        print("# page: no build-web/ (tools/web/build.sh makes it), so the %d changes only the "
              "web build compiles are left out, and the game's code is not tried on the page"
              % left_out, flush=True)
    if args.only:
        order = [m for m in order if re.search(args.only, describe(m))]
        args.count = min(args.count, len(order))
    if args.again:
        wanted = survivors_in(args.again)
        order = [m for m in order if m.listed_in(wanted) is not None]
        args.count = len(order)
    per_area = ", ".join("%s %d" % (area, sum(m.area == area for m in mutants))
                         for area in AREAS)
    print("# %d possible changes (%s); seed %d, %d to try" % (
        len(mutants), per_area, args.seed, args.count), flush=True)
    if args.list:
        for mutant in order[:args.count]:
            print(describe(mutant))
        return 0

    if not order:
        raise Refused("no change to try: no file of code matches --files or --only")
    changed = uncommitted_changes(ROOT)
    if changed:
        raise Refused("the working tree has changes not committed (%s%s); commit or stash them, "
                      "so that the score belongs to a commit"
                      % (", ".join(changed[:5]), ", ..." if len(changed) > 5 else ""))
    claim_folder(args.folder, ROOT)

    os.nice(19 - os.nice(0))
    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGHUP, on_signal)
    # A shell starts a background command with SIGINT and SIGQUIT ignored, which the games
    # under test would inherit, failing the tests that send them.
    signal.signal(signal.SIGINT, signal.default_int_handler)
    signal.signal(signal.SIGQUIT, signal.SIG_DFL)
    # SDL 1.2's source, which the builds fetch, is the working tree's: fetched once for all.
    os.environ.setdefault("NOUGHTS_SDL_SOURCE", os.path.join(ROOT, "build-sdl-source"))
    copy = os.path.join(args.folder, "source")
    os.makedirs(copy, exist_ok=True)
    sync_copy(ROOT, copy)
    sources = list(game_sources(copy))
    texts = {}
    for path in sources:
        with open(os.path.join(copy, path), encoding="utf-8") as source:
            texts[path] = source.read()
    build_sh = os.path.join(copy, "tools", "build.sh")
    builds = {
        "sources": sources,
        "default": Build("default", os.path.join(args.folder, "default"),
                         ["bash", build_sh, os.path.join(args.folder, "default")] + BUILD_OPTIONS,
                         ("unit", "e2e"), digests=True),
        "compat": Build("sdl12-compat", os.path.join(args.folder, "compat"),
                        ["bash", os.path.join(copy, "tools", "linux", "compat-build.sh"),
                         os.path.join(args.folder, "compat")] + BUILD_OPTIONS,
                        ("unit", "e2e")),
        # As the test command builds and runs it: clang, the sanitizers and the fuzz targets,
        # whose seeds and past crashes are replayed.
        "sanitize": Build("sanitizer", os.path.join(args.folder, "sanitize"),
                          ["bash", build_sh, os.path.join(args.folder, "sanitize"),
                           "-DCMAKE_CXX_COMPILER=clang++", "-DNOUGHTS_SANITIZE=ON",
                           "-DNOUGHTS_FUZZ=ON"] + BUILD_OPTIONS,
                          ("unit", "fuzz"), env=sanitizer_env(copy)),
        "page": PageBuild(os.path.join(args.folder, "web"), copy) if with_page else None,
    }
    start = time.monotonic()
    results = []
    kills = {}
    interrupted = False
    try:
        # The seed's first changes that build, tried file by file so each file is rebuilt
        # unchanged only once.
        queue = order
        tried = 0
        while tried < args.count and queue:
            batch = sorted(queue[:args.count - tried], key=lambda m: (m.path, m.number))
            queue = queue[args.count - tried:]
            for mutant in batch:
                outcome, detail = try_mutant(mutant, copy, builds, texts, kills, listed)
                results.append((mutant, outcome, detail))
                if outcome != Outcome.NOT_BUILT:
                    tried += 1
                print("[%3d/%d %4.0fs] %s  %s: %s -> %s%s" % (
                    tried, args.count, time.monotonic() - start, mutant.where(), mutant.rule,
                    mutant.change, outcome, "  [%s]" % detail if detail else ""), flush=True)
    except (KeyboardInterrupt, Interrupted):
        interrupted = True
        print("\n# interrupted: the results so far", flush=True)
    finally:
        # The copy's files go back to the unchanged ones and are built so, for the next run.
        for path, text in texts.items():
            write_source(copy, path, text)
    if not interrupted and not any(outcome != Outcome.NOT_BUILT for _, outcome, _ in results):
        raise Refused("none of the %d changes seed %d chose builds; try another seed"
                      % (len(results), args.seed))
    report(results, len(listed))
    print("\n# %.0f minutes" % ((time.monotonic() - start) / 60))
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Refused as refusal:
        print("mutate.py: %s" % refusal, file=sys.stderr)
        sys.exit(2)
