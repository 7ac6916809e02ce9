"""The page as a screen reader meets it, in a real browser window (NOUGHTS_BROWSER: chromium or
firefox) on the test's own Xvfb and D-Bus session, played by real key presses (XTEST, through
xdotool): once read through AT-SPI2, the interface screen readers use, and once with Orca itself
running, whose debug output holds every utterance it would speak.

Run as: web_screen_reader_test.py <site>/index.html
(it starts itself again under dbus-run-session and Debian's /usr/bin/python3, whose GObject
bindings reach AT-SPI2; what is missing fails the run and says so)
"""

import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

OWN_BUS = "NOUGHTS_SCREEN_READER_BUS"
PYTHON = "/usr/bin/python3"
# What each part needs, and the Debian package that brings it (tools/web/packages-test.txt).
COMMANDS = {"dbus-run-session": "dbus-daemon", "Xvfb": "xvfb", "xdotool": "xdotool",
            "orca": "orca", "chromium": "chromium", "firefox-esr": "firefox-esr"}
BUS_LAUNCHER = ("/usr/libexec/at-spi-bus-launcher", "at-spi2-core")


def missing_commands(names):
    """Each of names not on PATH, with the package that brings it."""
    lacking = [name for name in names if not shutil.which(name)]
    if not os.path.exists(BUS_LAUNCHER[0]):
        lacking.append(BUS_LAUNCHER[0])
    return ["%s (Debian package %s)" % (name, COMMANDS.get(name, BUS_LAUNCHER[1]))
            for name in lacking]


if __name__ == "__main__" and os.environ.get(OWN_BUS) != "1":
    # The session bus, and the accessibility bus it starts on demand, are this run's alone.
    lacking = missing_commands(["dbus-run-session"])
    if lacking or not os.access(PYTHON, os.X_OK):
        sys.exit("web_screen_reader_test.py: missing %s (bash tools/setup.sh web-test)" %
                 ", ".join(lacking + ([] if os.access(PYTHON, os.X_OK) else [PYTHON])))
    os.environ[OWN_BUS] = "1"
    os.execvp("dbus-run-session", ["dbus-run-session", "--", PYTHON, os.path.abspath(__file__)] +
              sys.argv[1:])

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import HarnessError, wait_until  # noqa: E402
import page_words as words  # noqa: E402
from page_words import ENDED, GAME, WON, place_of  # noqa: E402

try:
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi, GLib
except (ImportError, ValueError) as error:
    Atspi = None
    ATSPI_ERROR = "the AT-SPI2 bindings (Debian packages python3-gi and gir1.2-atspi-2.0: %s)" % (
        error)

BROWSER = os.environ.get("NOUGHTS_BROWSER", "chromium")
TITLE = "Noughts & Crosses"
# Generous: the machine is shared, and a browser's first start reads a lot.
START_TIMEOUT = 60.0
# Only against a hung browser or Orca: each step waits for what it is told, not for a time.
STEP_TIMEOUT = harness.BROWSER_TIMEOUT
ORCA_EXIT = 15.0

# Orca says the title screen as the live region words it or, once the page has loaded, as the
# focused canvas's name.
TITLE_SAID = (words.TITLE.split(" to go on")[0], words.TITLE_NAME)
# The game's keys as xdotool names them, and what AT-SPI2 calls what has the keyboard.
XDOTOOL_KEYS = {"Enter": "Return", "ArrowUp": "Up", "ArrowDown": "Down", "ArrowLeft": "Left",
                "ArrowRight": "Right"}
ROLES = {"image": "image", "cell": "table cell", "button": "push button"}


# Firefox's preferences: accessibility on whatever it guesses, and no first-run pages.
FIREFOX_PREFS = {
    "accessibility.force_disabled": -1,
    "browser.shell.checkDefaultBrowser": False,
    "browser.aboutwelcome.enabled": False,
    "browser.startup.homepage_override.mstone": "ignore",
    "datareporting.policy.dataSubmissionEnabled": False,
    "toolkit.telemetry.reportingpolicy.firstRun": False,
    "browser.tabs.warnOnClose": False,
    # A new tab made ready in the background, which Orca would announce as loaded.
    "browser.newtab.preload": False,
}
# Orca as the test reads it: its words only, spoken to no synthesiser (no speech server, which
# the debug output does not need; with speech off it would say no live region at all), no key
# echo, sound or braille.
ORCA_SETTINGS = {
    "general": {"enableSpeech": True, "speechServerFactory": "", "enableKeyEcho": False,
                "enableBraille": False, "enableSound": False, "enableTutorialMessages": False},
    "profiles": {"default": {"profile": ["Default", "default"]}},
    "pronunciations": {},
    "keybindings": {},
}
# Orca loads this from its settings folder once started: its debug file, which it buffers, is
# then written a line at a time, so each utterance can be read as it comes.
ORCA_LINES = """import orca.debug
orca.debug.debugFile.reconfigure(line_buffering=True)
"""
# What the test follows: where the keyboard is, and the live region's words.
EVENTS = ("object:state-changed:focused", "object:text-changed:insert")
SPOKEN = re.compile(r" - SPEECH OUTPUT: '(.*)' ?\{'established'")
# Orca's debug lines as it takes a live region's change, and once it has spoken all it took.
LIVE_TAKEN = " - WEB: Event to be handled as live region"
LIVE_SPOKEN = " - LIVE REGIONS: messages in queue: 0"


class Events:
    """AT-SPI2 events of the given types as they come, kept in order; waits pump GLib's main
    loop, which delivers them."""

    def __init__(self, types):
        self.seen = []
        self.listener = Atspi.EventListener.new(self.seen.append)
        for kind in types:
            self.listener.register(kind)
        self.context = GLib.MainContext.default()
        # Wakes the loop now and then, so a wait notices its deadline without an event.
        GLib.timeout_add(50, lambda: True)

    def wait(self, condition, timeout, what):
        def pumped():
            while self.context.pending():
                self.context.iteration(False)
            return condition() or self.context.iteration(True) and False
        return wait_until(pumped, timeout, what)


def role(node):
    return node.get_role_name()


def states(node):
    return node.get_state_set()


def descendants(node, depth=0):
    """node and everything under it; a child the application has already dropped is left out."""
    if node is None or depth > 40:
        return
    yield node
    for index in range(node.get_child_count()):
        yield from descendants(node.get_child_at_index(index), depth + 1)


def attributes(node):
    return node.get_attributes() or {}


def text_of(node):
    return Atspi.Text.get_text(node, 0, Atspi.Text.get_character_count(node))


class ScreenReaderPageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        binary = {"chromium": "chromium", "firefox": "firefox-esr"}.get(BROWSER)
        if binary is None:
            raise HarnessError("NOUGHTS_BROWSER is %r, not chromium or firefox" % BROWSER)
        lacking = missing_commands(["Xvfb", "xdotool", "orca", binary])
        if Atspi is None:
            lacking.append(ATSPI_ERROR)
        if lacking:
            raise HarnessError("the screen reader test needs %s (bash tools/setup.sh web-test "
                               "installs them)" % ", ".join(lacking))
        cls.binary = binary
        cls.x = harness.XServer(1024, 768, START_TIMEOUT)
        cls.x.start()
        cls.addClassCleanup(cls.x.stop)
        # AT-SPI2 finds its bus through the display's root window or the session bus.
        os.environ["DISPLAY"] = cls.x.display
        cls.server = harness.SiteServer(os.path.dirname(SITE))
        cls.server.start()
        cls.addClassCleanup(cls.server.stop)
        if Atspi.init() not in (0, 1):
            raise HarnessError("AT-SPI2 did not start")

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="noughts-screen-reader-")
        self.addCleanup(shutil.rmtree, self.folder, True)
        self.events = Events(EVENTS)
        for kind in EVENTS:
            self.addCleanup(self.events.listener.deregister, kind)

    # -- the browser, in a window of its own, as a person opens it

    def open_page(self):
        """Starts the browser on the page and waits until the title screen has the keyboard,
        in X and in the page; returns the page's document as AT-SPI2 shows it."""
        profile = os.path.join(self.folder, "profile")
        os.mkdir(profile)
        url = self.server.url("index.html")
        if BROWSER == "chromium":
            # Chromium shows the page over AT-SPI2 only with both; as root, only without its
            # sandbox.
            env = {"ACCESSIBILITY_ENABLED": "1"}
            command = [self.binary, "--user-data-dir=" + profile, "--force-renderer-accessibility",
                       "--window-position=0,0", "--window-size=1024,768"]
            command += chromium_flags() + [url]
        else:
            env = {"GNOME_ACCESSIBILITY": "1", "MOZ_CRASHREPORTER_DISABLE": "1"}
            with open(os.path.join(profile, "user.js"), "w") as prefs:
                prefs.writelines("user_pref(%s, %s);\n" % (json.dumps(name), json.dumps(value))
                                 for name, value in FIREFOX_PREFS.items())
            command = [self.binary, "--no-remote", "--profile", profile, url]
        log = open(os.path.join(self.folder, "browser.log"), "w")
        self.addCleanup(log.close)
        browser = subprocess.Popen(command, env=self.x.env(env), stdin=subprocess.DEVNULL,
                                   stdout=log, stderr=log, start_new_session=True)
        self.addCleanup(harness.kill_group, browser, 5.0)
        document = self.events.wait(lambda: self.find_document(browser.pid), START_TIMEOUT,
                                    "%s to show a document named %r over AT-SPI2 (a browser "
                                    "without AT-SPI2 shows none)" % (BROWSER, TITLE))
        window = self.x.tool("xdotool", "search", "--sync", "--onlyvisible", "--name",
                             re.escape(TITLE), timeout=START_TIMEOUT).split()[0].decode()
        self.x.tool("xdotool", "windowfocus", "--sync", window)
        self.wait_focus(words.TITLE_NAME, START_TIMEOUT, "image")
        self.wait_said(words.TITLE, START_TIMEOUT, document)
        return document

    def find_document(self, pid):
        desktop = Atspi.get_desktop(0)
        for index in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(index)
            if app is None or app.get_process_id() != pid and BROWSER != "firefox":
                continue
            try:
                for node in descendants(app):
                    if node.get_role() == Atspi.Role.DOCUMENT_WEB and node.get_name() == TITLE:
                        return node
            except GLib.GError:
                # A loading page's tree changes under the walk: a node can go before it is
                # read. The next look sees the tree as it is then.
                continue
        return None

    # -- what AT-SPI2 says

    def focused(self):
        """The last object to take the focus, if it still has it."""
        for event in reversed(self.events.seen):
            if event.type.startswith("object:state-changed:focused") and event.detail1:
                node = event.source
                return node if states(node).contains(Atspi.StateType.FOCUSED) else None
        return None

    def wait_focus(self, name, timeout=STEP_TIMEOUT, kind="table cell"):
        def there():
            node = self.focused()
            return node if node is not None and (role(node), node.get_name()) == (kind,
                                                                                   name) else None
        return self.events.wait(there, timeout, "the focus on the %s %r" % (kind, name))

    def status(self, document):
        """The live region: the one object that says what changes, politely."""
        regions = [node for node in descendants(document)
                   if attributes(node).get("live") == "polite"]
        self.assertEqual(len(regions), 1, "polite live regions: %s" % [
            (role(node), text_of(node)) for node in regions])
        return regions[0]

    def wait_said(self, words, timeout, document):
        """Waits for words inserted into the polite live region."""
        region = self.status(document)

        def said():
            return any(event.type.startswith("object:text-changed:insert") and
                       event.source == region and text_of(region).strip() == words
                       for event in self.events.seen)
        self.events.wait(said, timeout, "the live region to say %r" % words)

    def check_board(self, document, holds):
        """The grid: three rows of three cells, each named by its place and what it holds, at
        that place in the grid."""
        grids = [node for node in descendants(document)
                 if node.get_role() == Atspi.Role.TABLE and node.get_name() == "Board"]
        self.assertEqual(len(grids), 1, "grids named Board")
        table = grids[0]
        self.assertEqual((Atspi.Table.get_n_rows(table), Atspi.Table.get_n_columns(table)),
                         (3, 3))
        for row in range(3):
            for column in range(3):
                cell = Atspi.Table.get_accessible_at(table, row, column)
                cell_number = column * 3 + row
                named = "%s, %s" % (place_of(cell_number), holds.get(cell_number, "empty"))
                self.assertEqual((role(cell), cell.get_name()), ("table cell", named))
                self.assertEqual(Atspi.TableCell.get_position(cell)[1:], (row, column))

    def key(self, name):
        self.x.tool("xdotool", "key", name)

    def play(self, document, heard=None):
        """The whole game of GAME, each step waited for through AT-SPI2: the focus on what the
        page means, the live region's words, the grid at the start and at the end; and with
        heard (a list of lines Orca has spoken so far), what Orca speaks of each step, before
        the next key, which would cut it short, as it does a person's."""
        cell = None
        if heard:
            # As a listener waits to hear where the page has opened, which the first key would
            # cut short.
            self.events.wait(lambda: any(line.startswith(TITLE_SAID) for line in heard()),
                             START_TIMEOUT, "Orca to speak the title screen")
        for keys, (kind, name), said in GAME:
            kind = ROLES[kind]
            before = len(heard()) if heard else 0
            for key in keys:
                self.key(XDOTOOL_KEYS.get(key, key))
            if said:
                self.wait_said(said, STEP_TIMEOUT, document)
            node = self.wait_focus(name, kind=kind)
            ending = kind == "push button"
            if ending:
                # Said once: in the live region too, a screen reader would say it twice.
                self.assertEqual(node.get_description(), ENDED)
                self.assertNotIn(ENDED, text_of(self.status(document)))
            if said == words.OPENING[-1][2]:
                self.check_board(document, {})
            elif said and said.endswith("win."):
                self.check_board(document, WON)
            # The cell the keyboard moved to (a mark placed changes the focused cell's name,
            # which the live region's words say instead), New game, and the words.
            expected = [name] if kind != "image" and name.split(",")[0] != cell else []
            expected += [said] if said else []
            expected += [ENDED] if ending else []
            cell = name.split(",")[0]
            if not heard:
                continue
            try:
                self.events.wait(lambda: all_said(expected, heard()[before:]), STEP_TIMEOUT,
                                 "Orca to speak %s after %s" % (expected, keys))
            except HarnessError as error:
                self.fail("%s; it spoke %s" % (error, heard()[before:]))

    def test_game_through_atspi(self):
        """A whole game from the title: the focus on each cell the page means, named by place
        and content; the nine cells in their places in the grid; each move and the outcome in
        the polite live region; New game focused, described by the end."""
        self.play(self.open_page())

    def start_orca(self):
        """Starts Orca with settings of its own and waits until it listens; it is stopped after
        the test."""
        prefs = os.path.join(self.folder, "orca")
        os.mkdir(prefs)
        with open(os.path.join(prefs, "user-settings.conf"), "w") as settings:
            json.dump(ORCA_SETTINGS, settings)
        with open(os.path.join(prefs, "orca-customizations.py"), "w") as customizations:
            customizations.write(ORCA_LINES)
        self.orca_log = os.path.join(self.folder, "orca-debug.log")
        log = open(os.path.join(self.folder, "orca.log"), "w")
        self.addCleanup(log.close)
        orca = subprocess.Popen(["orca", "--replace", "-u", prefs, "--debug-file", self.orca_log],
                                env=self.x.env(), stdin=subprocess.DEVNULL, stdout=log,
                                stderr=log, start_new_session=True)
        self.addCleanup(harness.kill_group, orca, ORCA_EXIT)

        def listening():
            if orca.poll() is not None:
                raise HarnessError("Orca ended (%d) before it listened: %s" % (
                    orca.returncode, read(log.name)[-2000:]))
            return "ORCA: Startup complete" in read(self.orca_log)
        wait_until(listening, START_TIMEOUT, "Orca to start")

    def spoken(self):
        return SPOKEN.findall(read(self.orca_log))

    def test_game_with_orca(self):
        """The same game with Orca running: it speaks the first cell when the field opens, the
        cell each arrow moves to as the page means it (a grid, which takes the arrows), and
        every move, the outcome and the end, each once."""
        self.start_orca()
        self.play(self.open_page(), self.spoken)
        # Words a live region took as New game took the focus are spoken after it: counted
        # once Orca has spoken all it took.
        self.events.wait(lambda: live_spoken(read(self.orca_log)), STEP_TIMEOUT,
                         "Orca to speak the live region's words it took")
        once = [words for _, _, words in GAME if words and words.startswith(("Ring ", "Cross "))]
        once.append(ENDED)
        counted = {words: sum(line.count(words) for line in self.spoken()) for words in once}
        self.assertEqual(counted, dict.fromkeys(once, 1), "\n".join(self.spoken()))


def live_spoken(log):
    """Whether Orca, by its debug output log, has spoken every live region change it took."""
    return log.rfind(LIVE_TAKEN) < log.rfind(LIVE_SPOKEN)


def all_said(wanted, lines):
    """Whether each of wanted begins one of lines."""
    return all(any(line.startswith(words) for line in lines) for words in wanted)


def read(path):
    try:
        with open(path, errors="replace") as text:
            return text.read()
    except FileNotFoundError:
        return ""


def chromium_flags():
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "web", "chromium-flags.txt")
    with open(path) as flags:
        return flags.read().split()


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit("usage: %s SITE/index.html [TEST...]" % sys.argv[0])
    SITE = os.path.abspath(sys.argv[1])
    harness.unwind_on_termination()
    unittest.main(argv=sys.argv[:1] + sys.argv[2:], verbosity=2)
