#!/usr/bin/env python3
"""A mutation run over the game's own code: how many small faults do the tests catch?

Makes one-line changes to the game code by rules (comparison, arithmetic and logical operators,
integer constants one up or down, a dropped statement, two arguments swapped), draws a sample
of them with a seed, and for each builds the game and the tests incrementally and runs the unit
tests, then for those that pass the end-to-end tests. Changes to code whose behaviour differs
between the two SDL 1.2s that the default build's tests miss are tried on the sdl12-compat
build as well. Prints each change's outcome as it goes, then the score and every survivor.

Nothing in the working tree is changed: the tracked and untracked files are copied into
build-mutants/source, changed there and built in build-mutants/default (and compat). Changes
listed in tools/mutation/equivalent.txt are known not to change what the game does and are
counted apart. Usage: see docs/README-testing.md or --help.
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

# The game's own code on the native builds. frame/web_* is compiled only into the page.
GAME_DIRS = ("frame", "draw", "screens", "game")
NOT_NATIVE = re.compile(r"^frame/web_")
# Macros the native Linux build defines; every other one counts as undefined.
NATIVE_DEFINES = {"NOUGHTS_X11"}
# Files whose behaviour differs between the two SDL 1.2s: the picture loaders differ in what they
# hand back (palettes, alpha, refusals), and only classic SDL 1.2 has a window manager's window
# apart from the one it draws in and names the process on it itself.
COMPAT_FILES = {"frame/picture.cpp", "frame/process.cpp"}

BUILD_TIMEOUT = 600
# A warning is no fault the tests should catch: a change that only mixes && and || without
# parentheses must still build.
BUILD_OPTIONS = ["-DNOUGHTS_BENCH=OFF", "-DNOUGHTS_WERROR=OFF"]
# A test that runs this many times longer than unchanged is taken as hung: caught, not waited for.
SLOWDOWN = 5
MIN_TIMEOUT = {"unit": 20.0, "e2e": 90.0}

# ---------------------------------------------------------------------------------------------
# Reading C++ one line at a time

TOKEN = re.compile(r"""
    (?P<string>"[^"]*"|'[^']*')
  | (?P<number>0[xX][0-9a-fA-F']+[uUlL]*|\d[\d']*(?:\.\d*)?(?:[eE][+-]?\d+)?[fFuUlL]*)
  | (?P<name>[A-Za-z_]\w*)
  | (?P<op><<=|>>=|\.\.\.|::|->|\+\+|--|<<|>>|<=|>=|==|!=|&&|\|\||\+=|-=|\*=|/=|%=|&=|\|=|\^=
        |[-+*/%<>=!&|^~?:;,.(){}\[\]\#])
    """, re.VERBOSE)

TYPE_WORDS = {"int", "char", "short", "long", "unsigned", "signed", "float", "double", "bool",
              "void", "auto", "const", "size_t", "ptrdiff_t", "static", "constexpr", "struct",
              "class", "enum", "typename", "template", "using", "typedef", "extern", "inline",
              "namespace", "volatile", "virtual", "override", "operator"}
KEYWORDS = TYPE_WORDS | {"if", "for", "while", "switch", "return", "sizeof", "case", "do",
                         "else", "break", "continue", "new", "delete", "nullptr", "true",
                         "false", "this", "static_cast", "reinterpret_cast", "const_cast",
                         "dynamic_cast", "alignof", "decltype", "noexcept"}
# Calls whose arguments may come in any order.
SYMMETRIC_CALLS = {"min", "max", "swap"}


class Token:
    def __init__(self, kind, text, start):
        self.kind, self.text, self.start = kind, text, start
        self.end = start + len(text)


def tokens(masked):
    found = []
    for match in TOKEN.finditer(masked):
        kind = match.lastgroup
        found.append(Token(kind, match.group(kind), match.start()))
    return found


def is_type_name(text):
    return (text in TYPE_WORDS or text.endswith("_t") or
            (text[0].isupper() and any(c.islower() for c in text)))


def mask_code(lines):
    """Each line with comments blanked out and the insides of literals replaced by 'x', so no
    rule sees them; columns stay where they were."""
    masked = []
    in_comment = False
    for line in lines:
        out = []
        i = 0
        while i < len(line):
            if in_comment:
                end = line.find("*/", i)
                stop = len(line) if end < 0 else end + 2
                out.append(" " * (stop - i))
                in_comment = end < 0
                i = stop
            elif line.startswith("//", i):
                out.append(" " * (len(line) - i))
                i = len(line)
            elif line.startswith("/*", i):
                in_comment = True
            elif line[i] in "\"'":
                quote = line[i]
                j = i + 1
                while j < len(line) and line[j] != quote:
                    j += 2 if line[j] == "\\" else 1
                j = min(j, len(line) - 1)
                out.append(quote + "x" * (j - i - 1) + quote)
                i = j + 1
            else:
                out.append(line[i])
                i += 1
        masked.append("".join(out))
    return masked


def preprocessor_condition(expression):
    """The truth of an #if expression on the native build: defined(), !, && and || only."""
    text = re.sub(r"defined\s*\(\s*(\w+)\s*\)|defined\s+(\w+)",
                  lambda m: "1" if (m.group(1) or m.group(2)) in NATIVE_DEFINES else "0",
                  expression)
    text = re.sub(r"[A-Za-z_]\w*", lambda m: "1" if m.group(0) in NATIVE_DEFINES else "0", text)
    text = text.replace("&&", " and ").replace("||", " or ")
    text = re.sub(r"!(?!=)", " not ", text)
    if not re.fullmatch(r"[\s()01andortn]*", text):
        raise ValueError("cannot evaluate #if %s" % expression)
    return bool(eval(text))  # only 0, 1, and, or, not and parentheses are left


def compiled_lines(masked):
    """For each line, whether the native build compiles it (and it is no preprocessor line)."""
    live = []
    stack = []  # per open #if: (enclosing live, this branch live, some branch taken)
    active = True
    for line in masked:
        directive = re.match(r"\s*#\s*(\w+)\s*(.*)", line)
        if not directive:
            live.append(active)
            continue
        word, rest = directive.groups()
        if word in ("if", "ifdef", "ifndef"):
            if word == "if":
                value = preprocessor_condition(rest)
            else:
                value = (rest.split()[0] in NATIVE_DEFINES) == (word == "ifdef")
            stack.append((active, value))
            active = active and value
        elif word == "elif":
            outer, taken = stack[-1]
            value = not taken and preprocessor_condition(rest)
            stack[-1] = (outer, taken or value)
            active = outer and value
        elif word == "else":
            outer, taken = stack[-1]
            stack[-1] = (outer, True)
            active = outer and not taken
        elif word == "endif":
            active = stack.pop()[0]
        live.append(False)
    return live


# ---------------------------------------------------------------------------------------------
# The rules

class Mutant:
    def __init__(self, path, number, rule, original, mutated, change, after):
        self.path, self.number, self.rule = path, number, rule
        self.original, self.mutated, self.change = original, mutated, change
        # The line before (braces aside), for a line whose text the file holds more than once;
        # else None.
        self.after = after

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


def operand_before(toks, i):
    """Whether the token before i ends a value, so toks[i] is a binary operator."""
    if i == 0:
        return False
    before = toks[i - 1]
    if before.kind == "number" or before.text in (")", "]"):
        return True
    return before.kind == "name" and before.text not in KEYWORDS and not is_type_name(before.text)


def operand_after(toks, i):
    return i + 1 < len(toks) and (toks[i + 1].kind in ("name", "number", "string") or
                                  toks[i + 1].text in ("(", "!", "-", "~", "*", "&"))


COMPARISONS = {"<": ["<="], "<=": ["<"], ">": [">="], ">=": [">"], "==": ["!="], "!=": ["=="]}
ARITHMETIC = {"+": ["-"], "-": ["+"], "*": ["/"], "/": ["*"], "%": ["/"], "<<": [">>"],
              ">>": ["<<"], "&": ["|"], "|": ["&"], "^": ["|"]}
ASSIGNMENTS = {"+=": ["-="], "-=": ["+="], "*=": ["/="], "/=": ["*="], "|=": ["&="],
               "&=": ["|="], "<<=": [">>="], ">>=": ["<<="], "++": ["--"], "--": ["++"]}
LOGICAL = {"&&": ["||"], "||": ["&&"]}


def operator_mutants(line, toks):
    templates = template_brackets(toks)
    for i, tok in enumerate(toks):
        if tok.kind != "op":
            continue
        binary = operand_before(toks, i) and operand_after(toks, i)
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


def is_expression_statement(toks):
    """A whole statement on one line that calls, assigns or increments (no declaration)."""
    if len(toks) < 2 or toks[-1].text != ";":
        return False
    first = toks[0].text
    if first in ("break", "continue") or (first == "return" and len(toks) == 2):
        return len(toks) == 2
    if first in ("++", "--"):
        return True
    if toks[0].kind != "name" or first in KEYWORDS or is_type_name(first):
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


def statement_mutants(line, toks, continues):
    if continues or not is_expression_statement(toks):
        return
    indent = line[:len(line) - len(line.lstrip())]
    yield "statement", indent, "dropped '%s'" % normalized(line)


def argument_lists(toks):
    """(callee name, [(first token, last token) of each argument]) for each call whose
    arguments all lie on the line."""
    for i, tok in enumerate(toks[:-1]):
        if tok.kind != "name" or toks[i + 1].text != "(" or tok.text in KEYWORDS:
            continue
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


def is_declaration(toks, first, last):
    kinds = [toks[k] for k in range(first, last + 1)]
    return any(a.kind == "name" and b.kind == "name" for a, b in zip(kinds, kinds[1:])) or (
        kinds[0].kind == "name" and is_type_name(kinds[0].text) and len(kinds) > 1)


def argument_mutants(line, toks):
    for callee, args in argument_lists(toks):
        if callee in SYMMETRIC_CALLS:
            continue
        for (a0, a1), (b0, b1) in zip(args, args[1:]):
            if is_declaration(toks, a0, a1) or is_declaration(toks, b0, b1):
                continue
            first = line[toks[a0].start:toks[a1].end]
            second = line[toks[b0].start:toks[b1].end]
            if first == second:
                continue
            mutated = (line[:toks[a0].start] + second + line[toks[a1].end:toks[b0].start] +
                       first + line[toks[b1].end:])
            yield "arguments", mutated, "swapped '%s' and '%s' of %s()" % (first, second, callee)


def file_mutants(path, text):
    lines = text.split("\n")
    masked = mask_code(lines)
    live = compiled_lines(masked)
    previous_end = ";"
    previous = ""
    repeated = {text for text in map(normalized, lines)
                if text and sum(normalized(other) == text for other in lines) > 1}
    for index, (line, code) in enumerate(zip(lines, masked)):
        toks = tokens(code)
        after = previous if normalized(line) in repeated else None
        if line.strip() not in ("", "{", "}"):
            previous = normalized(line)
        if not live[index] or not toks:
            continue
        continues = previous_end not in (";", "{", "}", ":", ")")
        found = [*operator_mutants(line, toks), *constant_mutants(line, toks),
                 *statement_mutants(line, toks, continues), *argument_mutants(line, toks)]
        seen = set()
        for rule, mutated, change in found:
            if mutated != line and mutated not in seen:
                seen.add(mutated)
                yield Mutant(path, index + 1, rule, line, mutated, change, after)
        previous_end = toks[-1].text


def game_sources(root):
    for folder in GAME_DIRS:
        for name in sorted(os.listdir(os.path.join(root, folder))):
            path = "%s/%s" % (folder, name)
            if name.endswith(".cpp") and not NOT_NATIVE.match(path):
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


def sync_copy(root, copy):
    """Brings the copy's files up to the working tree's, touching only those that differ so the
    builds stay incremental."""
    for name in tracked_files(root):
        source = os.path.join(root, name)
        target = os.path.join(copy, name)
        if not os.path.isfile(source):
            continue  # deleted in the working tree but not yet in git
        if os.path.isfile(target) and same_bytes(source, target):
            continue
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy2(source, target)


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


class Build:
    """One build folder of the copy, with its tests as CTest lists them."""

    def __init__(self, name, folder, configure):
        self.name, self.folder, self.configure = name, folder, configure
        self.tests = {}  # label -> [test]
        self.baseline = {}  # test name -> seconds unchanged
        self.objects = {}  # source path -> code digest unchanged
        self.ready = False

    def build(self, targets=("noughts", "noughts_tests", "noughts_fault_shim")):
        command = ["cmake", "--build", self.folder, "-j2", "--target", *targets]
        status, output = run_quiet(command, BUILD_TIMEOUT)
        return status == 0, output

    def prepare(self, sources):
        """Configures and builds unchanged, lists the tests and times them; raises when the
        unchanged code does not pass."""
        if self.ready:
            return
        print("# %s build: configuring and building in %s" % (self.name, self.folder),
              flush=True)
        status, output = run_quiet(self.configure, BUILD_TIMEOUT * 2)
        built, more = self.build()
        if status != 0 or not built:
            raise SystemExit("the unchanged code does not build:\n" + output + more)
        listing = subprocess.run(["ctest", "--test-dir", self.folder, "--show-only=json-v1"],
                                 capture_output=True, check=True)
        for test in json.loads(listing.stdout)["tests"]:
            properties = {p["name"]: p["value"] for p in test.get("properties", [])}
            for label in properties.get("LABELS", []):
                self.tests.setdefault(label, []).append({
                    "name": test["name"], "command": test["command"],
                    "cwd": properties.get("WORKING_DIRECTORY"),
                    "env": dict(item.split("=", 1) for item in properties.get("ENVIRONMENT", []))})
        for path in sources:
            self.objects[path] = self.code_digest(path)
        for label in ("unit", "e2e"):
            start = time.monotonic()
            failed = self.run_tests(label, {}, timeout_floor=600)
            if failed:
                raise SystemExit("the unchanged code fails %s on the %s build; its output is in %s"
                                 % (failed, self.name,
                                    os.path.join(self.folder, "last-failure.txt")))
            print("# %s build: %d %s tests pass unchanged in %.0f s" % (
                self.name, len(self.tests[label]), label, time.monotonic() - start), flush=True)
        self.ready = True

    def object_files(self, path):
        found = []
        for folder, _, files in os.walk(os.path.join(self.folder, "CMakeFiles")):
            found += [os.path.join(folder, f) for f in files
                      if os.path.join(folder, f).endswith("/" + path + ".o")]
        return sorted(found)

    def code_digest(self, path):
        """A digest of what the source compiles to, debug information left out (a change of a
        column moves that alone)."""
        digest = hashlib.sha256()
        with tempfile.TemporaryDirectory() as scratch:
            for number, obj in enumerate(self.object_files(path)):
                stripped = os.path.join(scratch, "%d.o" % number)
                subprocess.run(["objcopy", "--strip-debug", obj, stripped], check=True)
                with open(stripped, "rb") as code:
                    digest.update(code.read())
        return digest.hexdigest()

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
                                       env=dict(os.environ, **test["env"]),
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


# ---------------------------------------------------------------------------------------------
# The run

class Outcome:
    SAME_CODE = "same code"  # compiles to what the unchanged line does
    LISTED = "listed equivalent"
    NOT_BUILT = "does not build"
    UNIT = "caught by unit tests"
    E2E = "caught by end-to-end tests"
    COMPAT = "caught only by the sdl12-compat build"
    SURVIVED = "survived"


def write_source(copy, path, text):
    """Writes the copy's file only when its text changes, so an unchanged one is not rebuilt."""
    name = os.path.join(copy, path)
    with open(name, encoding="utf-8") as source:
        if source.read() == text:
            return
    with open(name, "w", encoding="utf-8") as source:
        source.write(text)


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
    write_source(copy, mutant.path, "\n".join(lines))
    try:
        built, output = default.build()
        if not built:
            return Outcome.NOT_BUILT, last_error(output)
        if default.code_digest(mutant.path) == default.objects[mutant.path]:
            return Outcome.SAME_CODE, ""
        for label, outcome in (("unit", Outcome.UNIT), ("e2e", Outcome.E2E)):
            failed = default.run_tests(label, kills)
            if failed:
                kills[failed] = kills.get(failed, 0) + 1
                return outcome, failed
        if mutant.path in COMPAT_FILES:
            compat = builds["compat"]
            if not compat.ready:
                # Its baseline is the unchanged code: the change waits while it is made.
                write_source(copy, mutant.path, original)
                compat.prepare(builds["sources"])
                write_source(copy, mutant.path, "\n".join(lines))
            built, output = compat.build()
            if built:
                for label in ("unit", "e2e"):
                    failed = compat.run_tests(label, kills)
                    if failed:
                        return Outcome.COMPAT, failed
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
                        help="only game files whose path matches one of these")
    parser.add_argument("--again", metavar="LOG",
                        help="try only the survivors a run printed into LOG (after new tests)")
    parser.add_argument("--only", metavar="REGEX",
                        help="try only the changes whose 'file:line  rule: change' matches")
    parser.add_argument("--list", action="store_true",
                        help="print the whole sample's changes without building anything")
    parser.add_argument("--folder", default=os.path.join(ROOT, "build-mutants"),
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


def report(results, listed_count):
    counts = {}
    for _, outcome, _ in results:
        counts[outcome] = counts.get(outcome, 0) + 1
    equivalent = counts.get(Outcome.SAME_CODE, 0) + counts.get(Outcome.LISTED, 0)
    caught_default = counts.get(Outcome.UNIT, 0) + counts.get(Outcome.E2E, 0)
    survivors = [r for r in results if r[1] == Outcome.SURVIVED]
    real = caught_default + counts.get(Outcome.COMPAT, 0) + len(survivors)
    print()
    print("Changes tried: %d built (%d more did not build)" % (
        len(results) - counts.get(Outcome.NOT_BUILT, 0), counts.get(Outcome.NOT_BUILT, 0)))
    for outcome in (Outcome.UNIT, Outcome.E2E, Outcome.COMPAT, Outcome.SURVIVED,
                    Outcome.SAME_CODE, Outcome.LISTED):
        print("  %-40s %3d" % (outcome, counts.get(outcome, 0)))
    if real:
        print("Score, default build: %d of %d non-equivalent changes caught (%.0f %%)" % (
            caught_default, real, 100.0 * caught_default / real))
        print("Score, both builds:   %d of %d (%.0f %%)" % (
            real - len(survivors), real, 100.0 * (real - len(survivors)) / real))
    print("Equivalent: %d (%d compile to the same code, %d listed; the list has %d entries)" % (
        equivalent, counts.get(Outcome.SAME_CODE, 0), counts.get(Outcome.LISTED, 0),
        listed_count))
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


def main():
    args = parse_arguments()
    listed = read_equivalent_list()
    mutants = all_mutants(ROOT, args.files)
    order = sample(mutants, args.seed)
    if args.only:
        order = [m for m in order if re.search(args.only, describe(m))]
        args.count = min(args.count, len(order))
    if args.again:
        wanted = survivors_in(args.again)
        order = [m for m in order if m.listed_in(wanted) is not None]
        args.count = len(order)
    print("# %d possible changes in the game code; seed %d, %d to try" % (
        len(mutants), args.seed, args.count), flush=True)
    if args.list:
        for mutant in order[:args.count]:
            print(describe(mutant))
        return 0

    os.nice(19 - os.nice(0))
    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGHUP, on_signal)
    # A shell starts a background command with SIGINT and SIGQUIT ignored, which the games
    # under test would inherit, failing the tests that send them.
    signal.signal(signal.SIGINT, signal.default_int_handler)
    signal.signal(signal.SIGQUIT, signal.SIG_DFL)
    copy = os.path.join(args.folder, "source")
    os.makedirs(copy, exist_ok=True)
    sync_copy(ROOT, copy)
    sources = list(game_sources(copy))
    texts = {}
    for path in sources:
        with open(os.path.join(copy, path), encoding="utf-8") as source:
            texts[path] = source.read()
    builds = {
        "sources": sources,
        "default": Build("default", os.path.join(args.folder, "default"),
                         ["bash", os.path.join(copy, "tools", "build.sh"),
                          os.path.join(args.folder, "default")] + BUILD_OPTIONS),
        "compat": Build("sdl12-compat", os.path.join(args.folder, "compat"),
                        ["bash", os.path.join(copy, "tools", "linux", "compat-build.sh"),
                         os.path.join(args.folder, "compat")] + BUILD_OPTIONS),
    }
    start = time.monotonic()
    results = []
    kills = {}
    try:
        builds["default"].prepare(sources)
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
        print("\n# interrupted: the results so far", flush=True)
    finally:
        # The copy's files go back to the unchanged ones and are built so, for the next run.
        for path, text in texts.items():
            write_source(copy, path, text)
    report(results, len(listed))
    print("\n# %.0f minutes" % ((time.monotonic() - start) / 60))
    return 0


if __name__ == "__main__":
    sys.exit(main())
