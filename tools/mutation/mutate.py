#!/usr/bin/env python3
"""A mutation run over the game's own code: how many small faults do the tests catch?

Makes one-line changes to every line that ships, by rules (comparison, arithmetic and logical
operators, integer constants one up or down, a dropped statement, two arguments swapped), draws
a sample of them with a seed, builds each change incrementally in a copy of the tree
(build-mutants/) and runs the tests, stage after stage, until one catches it. Changes listed in
tools/mutation/equivalent.txt are known not to change what the game does and are counted apart.
Usage: see docs/README-testing.md or --help.
"""

import argparse
import collections
import contextlib
import hashlib
import json
import os
import pathlib
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
EQUIVALENT_LIST = os.path.join(ROOT, "tools", "mutation", "equivalent.txt")

# The game's own code, compiled by the native builds and the web build alike.
GAME_DIRS = ("frame", "draw", "screens", "game")
# The page's own code: SDL 1.2's drivers for a page, the page's main loop and view of the game,
# and the page's scripts.
PAGE_DIR = "web"
CODE_SUFFIXES = (".cpp", ".c", ".h", ".js")
# Ships in the site but only runs in the benchmark mode: a developer's tool, as bench/ is.
NOT_SHIPPED = re.compile(r"^web/bench\.js$")
# Files whose behaviour differs between the two SDL 1.2s: the picture loaders differ in what they
# hand back (palettes, alpha, refusals), and only classic SDL 1.2 has a window manager's window
# apart from the one it draws in and names the process on it itself.
COMPAT_FILES = {"frame/picture.cpp", "frame/process.cpp"}
# Code that follows a surface's pixel format, which on the page is one no desktop has.
READS_PIXEL_FORMAT = re.compile(r"->format\b|SDL_GetVideoSurface|SDL_DisplayFormat")

# Where each change is counted, by the first pattern its file matches: the score is printed for
# each.
AREA_FILES = (("page", r"web/"), ("game", r"game/"), ("pictures", r"frame/(picture|window_icon)\."),
              ("drawing", r"draw/"), ("frame", r""))
AREAS = ("game", "pictures", "drawing", "frame", "page")


def area_of(path):
    return next(area for area, pattern in AREA_FILES if re.match(pattern, path))


BUILD_TIMEOUT = 600
# A warning is no fault the tests should catch: a change that only mixes && and || without
# parentheses must still build.
BUILD_OPTIONS = ["-DNOUGHTS_BENCH=OFF", "-DNOUGHTS_WERROR=OFF"]
# The web build script asks for -Werror itself; emcc puts these after every other option.
PAGE_BUILD_ENV = {"EMCC_CFLAGS": "-Wno-error"}
# A test that runs this many times longer than unchanged is taken as hung: caught, not waited for.
SLOWDOWN = 5
MIN_TIMEOUT = {"unit": 20.0, "e2e": 90.0, "fuzz": 60.0, "page": 300.0}
# The page tests as tools/web/test.sh runs them, in one browser: the page's code is the same
# WebAssembly and script in each, and one costs half.
PAGE_TEST = os.path.join("tests", "e2e", "web_test.py")
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


Language = collections.namedtuple("Language", "name token keywords is_type_name")


def c_type_name(text):
    return (text in TYPE_WORDS or text.endswith("_t") or
            (text[0].isupper() and any(c.islower() for c in text)))


C = Language("C", C_TOKEN, KEYWORDS, c_type_name)
# JavaScript has no type names: a capital starts an object as often as a constructor.
JS = Language("JavaScript", JS_TOKEN, JS_KEYWORDS, lambda text: text in JS_DECLARING)


def language_of(path):
    return JS if path.endswith(".js") else C


Token = collections.namedtuple("Token", "kind text start end")


def tokens(masked, lang=C):
    return [Token(m.lastgroup, m.group(), m.start(), m.end()) for m in lang.token.finditer(masked)]


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
    closing = None  # what ends the comment or template literal open at the line's start
    for line in lines:
        out, i, blank = [], 0, closing == "`"
        while i < len(line):
            if closing:
                end = line.find(closing, i)
                stop = len(line) if end < 0 else end + len(closing)
                out.append(" " * (stop - i))
                closing = closing if end < 0 else None
                i = stop
            elif line.startswith("//", i):
                out.append(" " * (len(line) - i))
                i = len(line)
            elif line.startswith("/*", i):
                closing = "*/"
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
                    closing, blank = "`", True
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


# ---------------------------------------------------------------------------------------------
# The rules

class Mutant:
    def __init__(self, path, number, rule, original, mutated, change, after, native):
        self.path, self.number, self.rule = path, number, rule
        self.original, self.mutated, self.change = original, mutated, change
        # The line before (braces aside), for a line whose text the file holds more than once;
        # else None.
        self.after = after
        # Whether the native builds compile the file: else only the web build does.
        self.native = native
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

    def describe(self):
        return "%s  %s: %s" % (self.where(), self.rule, self.change)

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
    """Every change of every line of code. Which lines a build compiles is for the builds to
    tell: a change in a branch of an #if that a build leaves out gives that build the same code."""
    lang = language_of(path)
    lines = text.split("\n")
    masked = mask_code(lines, lang)
    scripts = script_lines(masked) if lang is C else [False] * len(lines)
    native = not path.startswith(PAGE_DIR + "/") and lang is C
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
        if not toks or (lang is C and code.lstrip().startswith("#")):
            continue
        continues = previous_end not in (";", "{", "}", ":", ")")
        found = [*operator_mutants(line, toks, lang), *constant_mutants(line, toks),
                 *statement_mutants(line, toks, continues, lang),
                 *argument_mutants(line, toks, lang)]
        seen = set()
        for rule, mutated, change in found:
            if mutated != line and mutated not in seen:
                seen.add(mutated)
                yield Mutant(path, index + 1, rule, line, mutated, change, after, native)
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
    return [mutant for path in game_sources(root)
            if not only or any(re.search(pattern, path) for pattern in only)
            for mutant in file_mutants(path, read(os.path.join(root, path)))]


def read(path):
    return pathlib.Path(path).read_text(encoding="utf-8")


def write(path, text):
    pathlib.Path(path).write_text(text, encoding="utf-8")


# ---------------------------------------------------------------------------------------------
# The list of equivalent changes

def read_equivalent_list(path=EQUIVALENT_LIST):
    return entries(read(path), path)


def entries(text, where="the list"):
    """{(file, from, to, after or None): why} from blocks of lines: 'file:' (which holds for
    the blocks after it too), then one or more lines changed, each an optional 'after:', a
    'from:' and its 'to:' lines, then the 'why:' of them all, going on over indented lines.
    Any other line ends a block."""
    listed = {}
    path, after, changes, why = None, None, [], None
    for number, line in enumerate(text.split("\n") + [""], 1):
        field = re.match(r"(file|after|from|to|why):\s?(.*)", line)
        name, value = field.groups() if field else (None, line.strip())
        if name == "after" and why is None:
            after = normalized(value)
        elif name == "from" and why is None:
            changes.append((normalized(value), after, []))
            after = None
        elif name == "to" and changes and why is None:
            changes[-1][2].append(normalized(value))
        elif name == "why" and changes:
            why = value.strip()
        elif line.startswith("  ") and why is not None:
            why += " " + value
        else:
            if name not in (None, "file") or changes and not (
                    path and why and all(tos for _, _, tos in changes)):
                raise ValueError("%s:%d: a block needs a file, and each 'from:' its 'to:' "
                                 "lines, then a 'why:'" % (where, number))
            for original, before, tos in changes:
                listed.update({(path, original, to, before): why for to in tos})
            after, changes, why = None, [], None
            path = value.strip() if name == "file" else path
    return listed


def equivalent_entry(mutant, why="WHY THE GAME BEHAVES THE SAME"):
    after = "after: %s\n" % mutant.after if mutant.after is not None else ""
    return "file: %s\n%sfrom: %s\nto:   %s\nwhy:  %s\n" % (
        mutant.path, after, normalized(mutant.original), normalized(mutant.mutated), why)


# ---------------------------------------------------------------------------------------------
# The copy of the tree and running things in it

class Refused(Exception):
    """Input the run cannot give a true score for: said plainly, with exit status 2."""


def git_lines(root, *command):
    listing = subprocess.run(["git", *command], cwd=root, capture_output=True, check=True)
    return listing.stdout.decode()


def uncommitted_changes(root):
    return [line[3:] for line in git_lines(root, "status", "--porcelain").splitlines() if line]


def claim_folder(folder, root):
    """Records which tree folder serves: one made for another would mix two trees' builds."""
    mark = os.path.join(folder, ".mutation-tree")
    if os.path.isfile(mark):
        tree = read(mark).strip()
        if tree != root:
            raise Refused("%s serves the tree %s, not %s; name another --folder"
                          % (folder, tree, root))
        return
    if os.path.isdir(folder) and os.listdir(folder):
        raise Refused("%s is not empty and records no tree it serves; remove it or name "
                      "another --folder" % folder)
    os.makedirs(folder, exist_ok=True)
    write(mark, root + "\n")


def sync_copy(root, copy):
    """Brings the copy up to the tree, touching only the files that differ: builds stay
    incremental."""
    listed = git_lines(root, "ls-files", "-z", "--cached", "--others", "--exclude-standard")
    # A file deleted in the working tree but not yet in git is gone as well.
    names = [name for name in listed.split("\0") if os.path.isfile(os.path.join(root, name))]
    manifest = os.path.join(copy, ".mutation-copy")
    if os.path.isfile(manifest):
        for name in set(read(manifest).split("\0")) - set(names) - {""}:
            if os.path.isfile(os.path.join(copy, name)):
                os.remove(os.path.join(copy, name))
    for name in names:
        target = os.path.join(copy, name)
        if not (os.path.isfile(target) and same_bytes(os.path.join(root, name), target)):
            os.makedirs(os.path.dirname(target), exist_ok=True)
            # Stamped now, not with the tree's time: an object a change rebuilt from the copy's
            # older text after that time would otherwise count as up to date.
            shutil.copy(os.path.join(root, name), target)
    write(manifest, "\0".join(names))


def same_bytes(a, b):
    with open(a, "rb") as first, open(b, "rb") as second:
        return first.read() == second.read()


def write_source(copy, path, text):
    """Writes the copy's file only when its text changes, so an unchanged one is not rebuilt."""
    if read(os.path.join(copy, path)) != text:
        write(os.path.join(copy, path), text)


def start(command, log, cwd=None, env=None):
    return subprocess.Popen(command, cwd=cwd, env=env, stdin=subprocess.DEVNULL, stdout=log,
                            stderr=subprocess.STDOUT, start_new_session=True)


def run_quiet(command, timeout, cwd=None, env=None):
    """Runs command; returns (exit status, or None when it ran out of time, and its output)."""
    with tempfile.TemporaryFile() as log:
        process = start(command, log, cwd, env)
        try:
            status = process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            status = None
        finally:
            kill_session(process)
        log.seek(0)
        return status, log.read().decode(errors="replace")


def kill_session(process):
    """Ends process's session. SIGTERM first: the end-to-end harness then stops the Xvfb and game
    it started in sessions of their own, which a SIGKILL to this one would leave running."""
    for sig, grace in ((signal.SIGTERM, 5), (signal.SIGKILL, None)):
        with contextlib.suppress(ProcessLookupError, PermissionError):
            os.killpg(process.pid, sig)
        with contextlib.suppress(subprocess.TimeoutExpired):
            process.wait(timeout=grace)
            return


def keep_failure(folder, output):
    write(os.path.join(folder, "last-failure.txt"), output)


def code_digest(obj):
    """A digest of an object file's code, debug information left out (a change of a column
    moves that alone). The builds define no __DATE__ or __TIME__ and keep NDEBUG's asserts out,
    and a change keeps every line where it was, so __LINE__ tells nothing apart either."""
    with tempfile.TemporaryDirectory() as scratch:
        stripped = os.path.join(scratch, "code.o")
        subprocess.run(["objcopy", "--strip-debug", obj, stripped], check=True)
        with open(stripped, "rb") as code:
            return hashlib.sha256(code.read()).hexdigest()


def sanitizer_env(copy):
    """The sanitizers' options, as the test command sets them."""
    listing = subprocess.run(
        ["bash", "-c", 'root=$1; source "$1/tools/linux/sanitizer-options.sh"; env -0', "_", copy],
        capture_output=True, check=True)
    found = dict(item.split("=", 1) for item in listing.stdout.decode().split("\0") if item)
    return {name: value for name, value in found.items() if name.endswith("SAN_OPTIONS")}


# ---------------------------------------------------------------------------------------------
# The builds

class Build:
    """One CMake build of the copy and its tests as CTest lists them. Every target is built, so
    no test runs a binary made before the change."""

    def __init__(self, name, folder, configure, labels, env=None):
        self.name, self.folder, self.configure, self.labels = name, folder, configure, labels
        self.env = env or {}
        self.tests = {}  # label -> [test]
        self.baseline = {}  # test name -> seconds unchanged
        self.unchanged = {}  # object file -> code digest unchanged
        self.current = {}  # object file -> (modification time, code digest) as last built
        self.ready = False

    def environment(self, extra=None):
        return dict(os.environ, **self.env, **(extra or {}))

    def build(self):
        status, output = run_quiet(["cmake", "--build", self.folder, "-j2"], BUILD_TIMEOUT,
                                   env=self.environment())
        return status == 0, output

    def prepare(self, _sources):
        """Configures and builds unchanged, lists the tests and times them; stops the run when
        the unchanged code does not pass."""
        print("# %s build: building in %s" % (self.name, self.folder), flush=True)
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
        self.same_code()
        self.unchanged = {obj: digest for obj, (_, digest) in self.current.items()}
        for label in self.labels:
            began = time.monotonic()
            failed = self.run_tests(label, {}, floor=600)
            if failed:
                raise SystemExit("the unchanged code fails %s on the %s build; its output is in "
                                 "%s/last-failure.txt" % (failed, self.name, self.folder))
            print("# %s build: %d %s tests pass unchanged in %.0f s" % (
                self.name, len(self.tests.get(label, [])), label, time.monotonic() - began),
                flush=True)
        self.ready = True

    def same_code(self):
        """Whether every object file, the game's and the tests' alike, holds the code it held
        unchanged: a change in a header reaches all that include it. Only the files built
        since the last look are read again."""
        for folder, _, files in os.walk(self.folder):
            for obj in (os.path.join(folder, name) for name in files if name.endswith(".o")):
                stamp = os.stat(obj).st_mtime_ns
                if self.current.get(obj, (None,))[0] != stamp:
                    self.current[obj] = (stamp, code_digest(obj))
        return all(self.current.get(obj, (None, None))[1] == digest
                   for obj, digest in self.unchanged.items())

    def run_tests(self, label, kills, floor=0.0):
        """Runs the tests of a label two at a time, those that caught most changes so far first,
        and stops at the first failure; returns the failed test's name (with 'timeout' when it
        ran so long that the change must have made it hang) or None."""
        waiting = sorted(self.tests.get(label, []), key=lambda t: -kills.get(t["name"], 0))
        running = []  # (process, test, its output, when it started)
        failed = None
        try:
            while failed is None and (waiting or running):
                while waiting and len(running) < 2:
                    test = waiting.pop(0)
                    log = tempfile.TemporaryFile()
                    running.append((start(test["command"], log, test["cwd"],
                                          self.environment(test["env"])), test, log,
                                    time.monotonic()))
                time.sleep(0.05)
                for run in list(running):
                    process, test, log, began = run
                    seconds = time.monotonic() - began
                    limit = max(floor, MIN_TIMEOUT[label],
                                SLOWDOWN * self.baseline.get(test["name"], 0.0))
                    if process.poll() is None and seconds < limit:
                        continue
                    running.remove(run)
                    if process.returncode == 0:
                        self.baseline.setdefault(test["name"], seconds)
                    elif failed is None:
                        failed = test["name"] + (" (timeout)" if process.poll() is None else "")
                        kill_session(process)
                        log.seek(0)
                        keep_failure(self.folder, log.read().decode(errors="replace"))
                    log.close()
        finally:
            for process, _, log, _ in running:
                kill_session(process)
                log.close()
        return failed


def node_parses(script):
    return subprocess.run(["node", "--check", script], capture_output=True).returncode == 0


def test_ids(before, output):
    """The tests unittest names after before in output, as "test_name (module.Class.test_name)",
    by id ("Class.test_name", which the page test file holds whether it defines the class or
    imports it); a class whose setUpClass failed by the class's name."""
    found = re.findall(before + r"(\w+) \(\w+\.([\w.]+)\)", output, re.M)
    return [where if where.endswith("." + name) or name == "setUpClass" else where + "." + name
            for name, where in found]


class PageBuild:
    """The copy's web build as tools/web/build.sh makes it (its site in FOLDER/site), and the
    page tests run as tools/web/test.sh runs them, in one browser. A script the site holds as
    it is in the source is copied in; everything else is built again, incrementally."""

    name = "page"

    def __init__(self, folder, copy):
        self.folder, self.copy = folder, copy
        self.site = os.path.join(folder, "site")
        self.ready = False
        self.copied = {}  # script -> the site's files that are copies of it
        self.parses = {}  # script -> whether node parses it unchanged
        self.unchanged = None  # the site's digest unchanged
        self.tests = []  # every page test's id, in the file's order
        self.seconds = 0.0  # how long the page tests take unchanged
        self.python = None
        # Whether the site still holds the last change that was built rather than copied in.
        self.holds_change = False

    def build(self, timeout=BUILD_TIMEOUT):
        command = ["bash", os.path.join(self.copy, "tools", "web", "build.sh"), self.folder]
        status, output = run_quiet(command, timeout, env=dict(os.environ, **PAGE_BUILD_ENV))
        return status == 0, output

    def prepare(self, sources):
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
        for path in (path for path in sources if path.endswith(".js")):
            source = os.path.join(self.copy, path)
            self.copied[path] = [f for f in site_files if same_bytes(source, f)]
            self.parses[path] = node_parses(source)
        status, python = run_quiet(["bash", self.copy + "/tools/e2e-python.sh"], 60)
        if status != 0:
            raise SystemExit("no Python for the page tests: " + python)
        self.python = python.strip().splitlines()[-1]
        began = time.monotonic()
        failed, output = self.run([], 900)
        if failed:
            raise SystemExit("the unchanged code fails %s in %s; its output is in "
                             "%s/last-failure.txt" % (failed, PAGE_BROWSER, self.folder))
        self.seconds = time.monotonic() - began
        # unittest names each test as it starts it.
        self.tests = list(dict.fromkeys(test_ids(r"^", output)))
        print("# page build: %d page tests pass unchanged in %s in %.0f s" % (
            len(self.tests), PAGE_BROWSER, self.seconds), flush=True)
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

    def order(self, kills):
        """The tests whose class and own name caught most so far first, a class's tests
        together, since each class starts the browser once."""
        def class_of(test):
            return test.rsplit(".", 1)[0]
        classes = list(dict.fromkeys(map(class_of, self.tests)))
        score = {c: sum(n for t, n in kills.items() if t == c or t.startswith(c + "."))
                 for c in classes}
        return sorted(self.tests, key=lambda t: (-score[class_of(t)], classes.index(class_of(t)),
                                                 -kills.get(t, 0), self.tests.index(t)))

    def run(self, tests, limit):
        """Runs the page tests given by id in that order (every test, for none) up to the first
        failure; returns (the failed test or None, the output)."""
        command = [self.python, os.path.join(self.copy, PAGE_TEST),
                   os.path.join(self.site, "index.html"), os.path.join(self.copy, "assets"),
                   "--failfast", *tests]
        status, output = run_quiet(command, limit,
                                   env=dict(os.environ, NOUGHTS_BROWSER=PAGE_BROWSER))
        if status == 0:
            return None, output
        keep_failure(self.folder, output)
        # The first test that failed, else (hung, say) the last one started.
        failed = (test_ids(r"^(?:FAIL|ERROR): ", output)[:1] or test_ids(r"^", output)[-1:] or
                  ["page tests"])
        return failed[0] + (" (timeout)" if status is None else ""), output

    def try_change(self, mutant, text, original, kills):
        """Builds (or copies in) the copy's changed file and runs the page tests; returns
        'not built', 'same code', the failed test, or None when every test passed."""
        if self.parses.get(mutant.path) and not node_parses(os.path.join(self.copy, mutant.path)):
            return "not built"
        copies = self.copied.get(mutant.path)
        if not copies:
            self.holds_change = True
            built, _ = self.build()
            if not built:
                return "not built"
            if self.site_digest() == self.unchanged:
                return "same code"
        elif self.holds_change:
            # A script copied into a site built with the change before would be tested with
            # that change's code: the copy's sources, this script aside, are unchanged again.
            built, output = self.build()
            if not built:
                raise SystemExit("the unchanged code no longer builds for the page:\n" + output)
            self.holds_change = False
        try:
            for target in copies or []:
                write_source("", target, text)
            return self.run(self.order(kills), max(MIN_TIMEOUT["page"], SLOWDOWN * self.seconds))[0]
        finally:
            for target in copies or []:
                write_source("", target, original)


# ---------------------------------------------------------------------------------------------
# One change

class Outcome:
    SAME_CODE = "same code"  # on every build tried: also a line no build tried compiles
    LISTED = "listed equivalent"
    NOT_BUILT = "does not build"
    UNIT = "caught by unit tests"
    E2E = "caught by end-to-end tests"
    PAGE = "caught by the page tests"
    COMPAT = "caught only by the sdl12-compat build"
    SANITIZER = "caught only by the sanitizer build"
    PAGE_ONLY = "caught only by the page tests"
    SURVIVED = "survived"


# Caught by the first tests a change meets: the default build's, or the page's for code only the
# page compiles.
CAUGHT_FIRST = (Outcome.UNIT, Outcome.E2E, Outcome.PAGE)
CAUGHT_LATER = (Outcome.COMPAT, Outcome.SANITIZER, Outcome.PAGE_ONLY)


class Run:
    """What every change of a run shares: the copy, its builds, the unchanged texts, the list
    of equivalent changes and how many changes each test has caught so far."""

    def __init__(self, copy, builds, listed):
        self.copy, self.builds, self.listed = copy, builds, listed
        self.sources = list(game_sources(copy))
        self.texts = {path: read(os.path.join(copy, path)) for path in self.sources}
        self.kills = collections.Counter()

    def ready(self, build, mutant, changed):
        """Makes a build the first time a change needs it. Its baseline is the unchanged code:
        the change waits while it is made."""
        if not build.ready:
            write_source(self.copy, mutant.path, self.texts[mutant.path])
            build.prepare(self.sources)
            write_source(self.copy, mutant.path, changed)

    def restore(self):
        for path, text in self.texts.items():
            write_source(self.copy, path, text)


def try_mutant(run, mutant):
    """Builds and tests one change in the copy, put back whatever happens: (outcome, detail)."""
    why = mutant.listed_in(run.listed)
    if why is not None:
        return Outcome.LISTED, why
    lines = run.texts[mutant.path].split("\n")
    lines[mutant.number - 1] = mutant.mutated
    changed = "\n".join(lines)
    write_source(run.copy, mutant.path, changed)
    try:
        if not mutant.native:
            return try_on_page(run, mutant, changed, Outcome.PAGE)
        return try_native(run, mutant, changed)
    finally:
        write_source(run.copy, mutant.path, run.texts[mutant.path])


def try_native(run, mutant, changed):
    default = run.builds["default"]
    run.ready(default, mutant, changed)
    built, output = default.build()
    if not built:
        errors = [line.strip() for line in output.splitlines() if "error:" in line]
        return Outcome.NOT_BUILT, errors[0][:160] if errors else ""
    if default.same_code():
        # No native build compiles the change: the page alone tells, if it compiles the line.
        if run.builds["page"] is None:
            return Outcome.SAME_CODE, ""
        return try_on_page(run, mutant, changed, Outcome.PAGE)
    for label, outcome in (("unit", Outcome.UNIT), ("e2e", Outcome.E2E)):
        failed = default.run_tests(label, run.kills)
        if failed:
            run.kills[failed] += 1
            return outcome, failed
    later = [("compat", Outcome.COMPAT)] if mutant.path in COMPAT_FILES else []
    for name, outcome in later + [("sanitize", Outcome.SANITIZER)]:
        build = run.builds[name]
        run.ready(build, mutant, changed)
        if build.build()[0]:
            for label in build.labels:
                failed = build.run_tests(label, run.kills)
                if failed:
                    return outcome, failed
    if goes_to_page(run, mutant):
        found = try_on_page(run, mutant, changed, Outcome.PAGE_ONLY)
        if found[0] == Outcome.PAGE_ONLY:
            return found
    return Outcome.SURVIVED, ""


def goes_to_page(run, mutant):
    """Whether a change every native build passed is tried on the page too: in a header (the
    page's own code reads some, such as the board's values) or in a file that reads a surface's
    pixel format. The page's display is not a desktop's (red first, with alpha), so such code
    can fail there alone; other code runs there as on the desktop, and a page run per survivor
    would cost a minute."""
    return run.builds["page"] is not None and (
        mutant.path.endswith(".h") or READS_PIXEL_FORMAT.search(run.texts[mutant.path]))


def try_on_page(run, mutant, changed, outcome):
    """The page stage: (outcome, detail), outcome the one given if the page tests catch it."""
    page = run.builds["page"]
    run.ready(page, mutant, changed)
    found = page.try_change(mutant, changed, run.texts[mutant.path], run.kills)
    if found == "not built":
        return Outcome.NOT_BUILT, "the web build or node refused it"
    if found == "same code":
        return Outcome.SAME_CODE, ""
    if found:
        run.kills[found] += 1
        return outcome, found
    return Outcome.SURVIVED, ""


# ---------------------------------------------------------------------------------------------
# The sample and its report

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


def survivors_in(log):
    """The keys of the survivors a run's output lists."""
    text = read(log)
    return entries(text.split("\nSurvivors", 1)[1] if "\nSurvivors" in text else "", log)


def choose(args, with_page):
    """The changes to try in the seed's order, and how many of them must build."""
    mutants = all_mutants(ROOT, args.files)
    order = list(mutants)
    random.Random(args.seed).shuffle(order)
    wanted = args.count
    if not with_page:
        print("# page: no build-web/ (tools/web/build.sh makes it), so the page's own %d "
              "changes are left out, and a change of the game that compiles to the same native "
              "code counts as such" % sum(not m.native for m in order), flush=True)
        order = [m for m in order if m.native]
    if args.only:
        order = [m for m in order if re.search(args.only, m.describe())]
        wanted = min(wanted, len(order))
    if args.again:
        again = survivors_in(args.again)
        order = [m for m in order if m.listed_in(again) is not None]
        wanted = len(order)
    per_area = ", ".join("%s %d" % (area, sum(m.area == area for m in mutants))
                         for area in AREAS)
    print("# %d possible changes (%s); seed %d, %d to try" % (
        len(mutants), per_area, args.seed, wanted), flush=True)
    return order, wanted


def refuse_unsound(args, order):
    if not order:
        raise Refused("no change to try: no file of code matches --files or --only")
    changed = uncommitted_changes(ROOT)
    if changed:
        raise Refused("the working tree has changes not committed (%s%s); commit or stash them, "
                      "so that the score belongs to a commit"
                      % (", ".join(changed[:5]), ", ..." if len(changed) > 5 else ""))
    claim_folder(args.folder, ROOT)


def settle_process():
    """Runs at the lowest priority, and ends cleanly on a signal."""
    os.nice(19 - os.nice(0))
    # A shell starts a background command with SIGINT and SIGQUIT ignored, which the games
    # under test would inherit, failing the tests that send them.
    for number in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(number, signal.default_int_handler)
    signal.signal(signal.SIGQUIT, signal.SIG_DFL)
    # SDL 1.2's source, which the builds fetch, is the working tree's: fetched once for all.
    os.environ.setdefault("NOUGHTS_SDL_SOURCE", os.path.join(ROOT, "build-sdl-source"))


def make_builds(folder, copy, with_page):
    def build(name, title, script, labels, *options, env=None):
        command = ["bash", os.path.join(copy, "tools", *script), os.path.join(folder, name)]
        return Build(title, os.path.join(folder, name), command + [*options, *BUILD_OPTIONS],
                     labels, env)
    return {
        "default": build("default", "default", ["build.sh"], ("unit", "e2e")),
        "compat": build("compat", "sdl12-compat", ["linux", "compat-build.sh"], ("unit", "e2e")),
        # As the test command builds and runs it: clang, the sanitizers and the fuzz targets,
        # whose seeds and past crashes are replayed.
        "sanitize": build("sanitize", "sanitizer", ["build.sh"], ("unit", "fuzz"),
                          "-DCMAKE_CXX_COMPILER=clang++", "-DNOUGHTS_SANITIZE=ON",
                          "-DNOUGHTS_FUZZ=ON", env=sanitizer_env(copy)),
        "page": PageBuild(os.path.join(folder, "web"), copy) if with_page else None,
    }


def try_sample(run, order, wanted, began):
    """The seed's first changes that build, tried file by file so each file is rebuilt
    unchanged only once: ([(change, outcome, detail)], whether it was interrupted)."""
    results = []
    tried = 0
    try:
        while tried < wanted and order:
            batch = sorted(order[:wanted - tried], key=lambda m: (m.path, m.number))
            order = order[wanted - tried:]
            for mutant in batch:
                outcome, detail = try_mutant(run, mutant)
                results.append((mutant, outcome, detail))
                tried += outcome != Outcome.NOT_BUILT
                print("[%3d/%d %4.0fs] %s -> %s%s" % (
                    tried, wanted, time.monotonic() - began, mutant.describe(), outcome,
                    "  [%s]" % detail if detail else ""), flush=True)
    except KeyboardInterrupt:
        print("\n# interrupted: the results so far", flush=True)
        return results, True
    finally:
        # The copy's files go back to the unchanged ones, for the next run.
        run.restore()
    return results, False


def percent(part, whole):
    return "%d of %d (%.0f %%)" % (part, whole, 100.0 * part / whole) if whole else "none"


def score(results, caught_by):
    """Caught among the changes that are neither equivalent nor unbuilt."""
    real = [r for r in results if r[1] in CAUGHT_FIRST + CAUGHT_LATER + (Outcome.SURVIVED,)]
    return percent(sum(r[1] in caught_by for r in real), len(real))


def report(results, listed, texts):
    counts = collections.Counter(outcome for _, outcome, _ in results)
    print("\nChanges tried: %d built (%d more did not build)" % (
        len(results) - counts[Outcome.NOT_BUILT], counts[Outcome.NOT_BUILT]))
    for outcome in CAUGHT_FIRST + CAUGHT_LATER + (Outcome.SURVIVED, Outcome.SAME_CODE,
                                                  Outcome.LISTED):
        print("  %-40s %3d" % (outcome, counts[outcome]))
    # Code only the page compiles has no default build: its first tests are the page tests.
    print("Score, default build: %s non-equivalent changes caught" % score(results, CAUGHT_FIRST))
    print("Score, all builds:    %s" % score(results, CAUGHT_FIRST + CAUGHT_LATER))
    for area in AREAS:
        mine = [r for r in results if r[0].area == area]
        if any(r[1] != Outcome.NOT_BUILT for r in mine):
            print("  %-9s all builds %-16s default build %s" % (
                area, score(mine, CAUGHT_FIRST + CAUGHT_LATER), score(mine, CAUGHT_FIRST)))
    print("Equivalent: %d (%d compile to the same code, %d listed; the list has %d entries)" % (
        counts[Outcome.SAME_CODE] + counts[Outcome.LISTED],
        counts[Outcome.SAME_CODE], counts[Outcome.LISTED], len(listed)))
    # An entry whose line is gone (or that a block's file: names wrongly) matches nothing.
    lines = {(path, normalized(line)) for path, text in texts.items() for line in text.split("\n")}
    gone = sorted({"%s: %s" % key[:2] for key in listed if key[:2] not in lines})
    if gone:
        print("The list's lines that the code no longer holds:\n  " + "\n  ".join(gone))
    for outcome in (Outcome.SANITIZER, Outcome.PAGE_ONLY, Outcome.COMPAT, Outcome.SURVIVED):
        group = [r for r in results if r[1] == outcome]
        # The sdl12-compat build's catches and the survivors may be changes the game cannot
        # show: each is printed as the entry it would be.
        entry = outcome in (Outcome.COMPAT, Outcome.SURVIVED)
        if group:
            print("\n%s%s:" % ("Survivors" if outcome == Outcome.SURVIVED else
                               outcome[0].upper() + outcome[1:], " (each as an entry for "
                               "tools/mutation/equivalent.txt, if it is one)" if entry else ""))
        for mutant, _, detail in group:
            print("%s%s%s" % ("\n" if entry else "  ", mutant.describe(),
                              "  [%s]" % detail if detail else ""))
            print(equivalent_entry(mutant) if entry else "", end="")


def main():
    args = parse_arguments()
    listed = read_equivalent_list()
    # The page is tried only where tools/web/build.sh has installed its tools and browsers.
    with_page = os.path.isdir(os.path.join(ROOT, "build-web"))
    order, wanted = choose(args, with_page)
    if args.list:
        for mutant in order[:wanted]:
            print(mutant.describe())
        return 0
    refuse_unsound(args, order)
    settle_process()
    copy = os.path.join(args.folder, "source")
    os.makedirs(copy, exist_ok=True)
    sync_copy(ROOT, copy)
    run = Run(copy, make_builds(args.folder, copy, with_page), listed)
    began = time.monotonic()
    results, interrupted = try_sample(run, order, wanted, began)
    if not interrupted and all(outcome == Outcome.NOT_BUILT for _, outcome, _ in results):
        raise Refused("none of the %d changes seed %d chose builds; try another seed"
                      % (len(results), args.seed))
    report(results, listed, run.texts)
    print("\n# %.0f minutes" % ((time.monotonic() - began) / 60))
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Refused as refusal:
        print("mutate.py: %s" % refusal, file=sys.stderr)
        sys.exit(2)
