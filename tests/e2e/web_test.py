"""End to end in a browser: the start-up, picture, hostile picture, quit and play tests against
the web build, and what only a page has. The browser is NOUGHTS_BROWSER (chromium or firefox).

Run as: web_test.py <site>/index.html <assets dir>
"""

import json
import os
import sys
import unittest

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import page_words as words  # noqa: E402
from frame_and_pictures_test import FrameAndPicturesTest  # noqa: E402,F401
from harness import wait_until  # noqa: E402
from page_words import cell_named  # noqa: E402
from hostile_pictures_test import HostilePicturesTest  # noqa: E402,F401
from play_test import BLACK, REST, Field, PlayTest, cell_centre, solid  # noqa: E402,F401

if os.environ.get("NOUGHTS_BROWSER") == "firefox":
    # A page's pictures are read and checked by the game's own WebAssembly, the same in every
    # browser: Chromium runs these.
    HostilePicturesTest = unittest.skip("the same WebAssembly reads the pictures in Chromium")(
        HostilePicturesTest)

GAME = (480, 272)
# Viewports whose largest whole scale for the 480 x 272 canvas is 1, 2 and 3, odd and even:
# centring must not halve an odd room.
VIEWPORTS = {1: (801, 601), 2: (1100, 700), 3: (1501, 901)}
# A window zoomed to 100 %, 200 % and 400 %, and a window as narrow as a reflowing page must
# take (WCAG 1.4.10).
ZOOMED = (1280, 800)
ZOOMS = (1, 2, 4)
NARROW = (320, 480)
# Windows a little larger than the game at one scale or two (the canvas's scale in each), where
# the line of help would leave the canvas no room at that scale.
SNUG = {(500, 290): 1, (1024, 590): 2}
CONTROLS = ("Start", "Back", "Help", "Smaller board", "Larger board")
# Phones (CSS pixels and device pixels to each) and the largest scale their shape allows with
# room for the controls and the line of help: a folding phone turned sideways, whose column of
# controls is taller than the window, and a ratio no CSS width gives exactly.
# 600 x 360 at 2: a phone beside another app, where only the controls' names on two lines leave
# the canvas its scale.
PHONES = {(360, 640, 3): 2, (640, 360, 3): 3, (390, 844, 3): 2, (844, 390, 3): 3,
          (653, 280, 3): 2, (412, 915, 2.625): 2, (600, 360, 2): 2,
          # Wide, but with room for the canvas only above the controls.
          (620, 400, 1): 1}
# A window too small for the canvas beside the controls (a phone's pop-up window), where the only
# layout that keeps them whole puts three columns of them at its very left edge.
POP_UP = (216, 260)
TOUCH_RUNS = ((390, 844, 3), (844, 390, 3))
CHECKERED = ((653, 280, 3), (412, 915, 2.625))
# Where a lifted finger leaves the pointer: off the board, where the mark it shows says whose
# turn it is.
FINGER_REST = (375, 136)
# Off the board, each tap a pixel of its own.
RAPID_TAPS = [(300 + 7 * i, 20 + 11 * i) for i in range(20)]

# Keys as a browser reports them, each with the key event SDL then gives the program (its
# SDLKey, SDL's modifier state and the unicode SDL_EnableUNICODE asks for): one SDL 1.2 names no
# key for, a letter with Shift, a sign with Shift (named by its key's unshifted digit), the
# keypad, a function key, chords, a right-hand modifier (whose press SDL gives before the state
# it adds), and a Latin-1 letter with Caps Lock.
KEYS = [({"key": "ж", "code": "Semicolon"}, 0, 0, 0x436),
        ({"key": "A", "code": "KeyA", "shiftKey": True}, 97, 0x1, 65),
        ({"key": "!", "code": "Digit1", "shiftKey": True}, 49, 0x1, 33),
        ({"key": "8", "code": "Numpad8", "location": 3, "modifierNumLock": True}, 264, 0x1000,
         56),
        ({"key": "F5", "code": "F5"}, 286, 0, 0),
        ({"key": "l", "code": "KeyL", "ctrlKey": True}, 108, 0x40, 12),
        ({"key": "t", "code": "KeyT", "ctrlKey": True}, 116, 0x40, 20),
        ({"key": "ArrowLeft", "code": "ArrowLeft", "altKey": True}, 276, 0x100, 0),
        ({"key": "Control", "code": "ControlRight", "ctrlKey": True, "location": 2}, 305, 0, 0),
        ({"key": "é", "code": "Digit2", "modifierCapsLock": True}, 233, 0x2000, 233)]
# Reads the last key press waiting in SDL's queue through SDL_PeepEvents, as the program would
# take it: an SDL_Event is 20 bytes, its keysym's sym, mod and unicode at 8, 12 and 16.
LAST_KEY_DOWN = """(() => {
    const events = Module.stackAlloc(128 * 20);
    return () => {
        const at = events + (Module._SDL_PeepEvents(events, 128, 1, 1 << 2) - 1) * 20;
        return [Module.HEAP32[(at + 8) >> 2], Module.HEAP32[(at + 12) >> 2],
                Module.HEAPU16[(at + 16) >> 1]];
    };
})()"""

# A standard gamepad the test plugs in and presses, in place of the browser's.
PAD_SCRIPT = """
    window.padSlots = [null, null, null, null];
    Object.defineProperty(navigator, 'getGamepads', {value: () => padSlots});
    window.padButton = (index, pressed) => {
        padSlots[0].buttons[index] = {pressed: pressed, touched: pressed, value: +pressed};
        return ++padSlots[0].timestamp;
    };
    // Plugged in with the buttons pressed held, or unplugged.
    window.plugPad = (plugged, pressed = []) => {
        const gone = padSlots[0] && Object.assign({}, padSlots[0], {connected: false});
        padSlots[0] = plugged ? {id: 'Scripted pad', index: 0, connected: true,
            mapping: 'standard', timestamp: 1, axes: [0, 0, 0, 0],
            buttons: Array.from({length: 17}, (_, index) => ({
                pressed: pressed.includes(index), touched: pressed.includes(index),
                value: +pressed.includes(index)}))} : null;
        // As a browser's GamepadEvent, with the pad it is about.
        const event = new Event(plugged ? 'gamepadconnected' : 'gamepaddisconnected');
        Object.defineProperty(event, 'gamepad', {value: padSlots[0] || gone});
        return window.dispatchEvent(event);
    };
"""


class WebPageTest(harness.GameTestCase):
    def open(self, viewport=harness.WEB_VIEWPORT, leave_out=(), touch_scale=None, early=None,
             ratio=None):
        game = self.start_page((), harness.shipped_pictures(harness.ASSETS, leave_out), None,
                               viewport, touch_scale, early=early, ratio=ratio)
        game.wait_for_image(self.pictures["intro.bmp"], name="intro")
        return game

    def enter_field(self, game, pictures=None):
        super().enter_field(game)
        PlayTest.assert_shows(self, game, Field(pictures or self.pictures,
                                                pointer=self.START_POINTER), "field")

    def click_lines(self, game):
        return [line for line in game.stdout().splitlines() if line.startswith("click :")]

    def canvas_box(self, game):
        return game.evaluate(
            "(r => [r.left, r.top, r.width, r.height])(canvas.getBoundingClientRect())")

    def check_scale(self, game, scale, viewport):
        """The canvas is scale times the game, centred on whole pixels, every game pixel a
        crisp square."""
        left, top, width, height = self.canvas_box(game)
        self.assertEqual((width, height), (GAME[0] * scale, GAME[1] * scale))
        self.assertEqual((left, top), ((viewport[0] - width) // 2, (viewport[1] - height) // 2))
        self.check_crisp(game, scale, 1)

    def check_crisp(self, game, scale, ratio):
        """The canvas lies on whole device pixels, scale of them to each game pixel, and shows
        each game pixel as a square of that many, every row and column once."""
        box = [value * ratio for value in self.canvas_box(game)]
        device = [round(value) for value in box]
        for value, whole in zip(box, device):
            self.assertAlmostEqual(value, whole, delta=1e-3, msg="canvas at %s" % box)
        self.assertEqual(device[2:], [GAME[0] * scale, GAME[1] * scale])
        shown = game.screenshot().crop(*device)
        scaled = np.repeat(np.repeat(game.capture().pixels, scale, 0), scale, 1)
        difference = shown.first_difference(harness.Image.from_array(scaled))
        self.assertIsNone(difference, "the page does not show the game's pixels crisply")

    def check_checkerboard(self, game, scale, ratio):
        """A one-pixel checkerboard drawn into the canvas (the idle game leaves it there) is
        shown crisply: a row or column lost or doubled anywhere shifts the pattern."""
        game.evaluate("""(() => {
            const context = canvas.getContext('2d');
            const image = context.createImageData(canvas.width, canvas.height);
            for (let i = 0; i < image.data.length; i += 4) {
                const pixel = i / 4, x = pixel % canvas.width, y = Math.floor(pixel / canvas.width);
                image.data.fill((x + y) % 2 ? 255 : 0, i, i + 3);
                image.data[i + 3] = 255;
            }
            context.putImageData(image, 0, 0);
            return true;
        })()""")
        board = np.indices((GAME[1], GAME[0])).sum(axis=0) % 2 * 255
        self.assertIsNone(game.capture().first_difference(harness.Image.from_array(
            np.repeat(board[:, :, None], 3, 2).astype(np.uint8))), "the checkerboard drawn")
        self.check_crisp(game, scale, ratio)

    def test_page_describes_itself_and_installs(self):
        game = self.open()
        self.assertEqual(game.evaluate("document.title"), "Noughts & Crosses")
        self.assertEqual(game.evaluate("document.documentElement.lang"), "en")
        self.assertTrue(game.evaluate("document.querySelector('meta[name=description]')"
                                      ".content"))
        if self.browser.kind == "chromium":
            self.assertEqual(game.browser.call("installability")["errors"], [])

    def test_browser_lacking_what_the_game_uses(self):
        """Without the Gamepad API, or with storage for the offline copy blocked, the game
        plays; without ImageData or a canvas that draws in 2D, or if the browser will not
        start the game's code, the page says plainly why, never a blank canvas."""
        lacking = """
            delete Navigator.prototype.getGamepads;
            if (navigator.serviceWorker) {
                navigator.serviceWorker.register = () => Promise.reject(new Error('blocked'));
            }"""
        game = self.start_page((), harness.shipped_pictures(harness.ASSETS), None, early=lacking)
        self.enter_field(game)
        said = "document.getElementById('ended').hidden ? '' : " \
               "document.getElementById('ended').innerText"
        for early, lacks in [("delete window.ImageData;", "it has no ImageData"),
                             ("HTMLCanvasElement.prototype.getContext = () => null;",
                              "no canvas that draws in 2D"),
                             ("WebAssembly.instantiate = () => Promise.reject(new Error('no'));",
                              "its code did not start (no)")]:
            game = self.start_page((), harness.shipped_pictures(harness.ASSETS), None,
                                   early=early, window=False)
            wait_until(lambda: lacks in game.evaluate(said),
                       harness.DEFAULT_TIMEOUT, "the page to say %r" % lacks)
            self.assertIn("The game cannot run here", game.evaluate(said))
            # Nor is a new game offered, which would only meet the same lack.
            self.assertNotIn("New game", game.evaluate(said))

    def test_missing_cell_picture_stands_in_black(self):
        """As on a desktop."""
        game = self.open(leave_out=["NULL.bmp"])
        self.enter_field(game, {**self.pictures, "NULL.bmp": solid(90, 90, BLACK)})

    def test_scale_crisp_centred_and_clicks_mapped(self):
        for scale, viewport in VIEWPORTS.items():
            with self.subTest(scale=scale):
                game = self.open(viewport)
                self.check_scale(game, scale, viewport)
                self.enter_field(game)
                # Corners and the last pixel of a cell: any rounding slip moves one of them.
                clicks = [(0, 0), (479, 271), (89, 179), (90, 180)]
                for x, y in clicks:
                    game.move_to(x, y)
                    game.click(1)
                # Sent to the canvas from beyond its bottom left corner: the nearest pixel.
                game.evaluate("""(r => ['mousemove', 'mousedown', 'mouseup'].forEach(type =>
                    canvas.dispatchEvent(new MouseEvent(type, {bubbles: true, button: 0,
                        clientX: r.left - 3, clientY: r.bottom + 3}))))(
                    canvas.getBoundingClientRect()) || true""")
                clicks.append((0, 271))
                expected = ["click : %d, %d, 1" % click for click in clicks]
                wait_until(lambda: self.click_lines(game) == expected, harness.DEFAULT_TIMEOUT,
                           "the clicks at scale %d: %s" % (scale, expected))
        self.check_zoom_and_reflow()

    def check_zoom_and_reflow(self):
        """Zoomed in as a browser zooms (a window's CSS pixels fewer, each more device pixels):
        the canvas at least as large on screen as unzoomed, crisp, and nothing cut off, the
        line of help reached by scrolling where it no longer fits, as in a window a little
        larger than the game; and in a window 320 CSS pixels wide, the whole canvas, shrunk to
        fit, still clicked where it shows."""
        unzoomed = None
        for zoom in ZOOMS:
            with self.subTest(zoom=zoom):
                viewport = (ZOOMED[0] // zoom, ZOOMED[1] // zoom)
                game = self.open(viewport, ratio=zoom)
                width = self.canvas_box(game)[2] * zoom
                unzoomed = unzoomed or width
                self.assertGreaterEqual(width, unzoomed, "the canvas at %d%%" % (zoom * 100))
                self.check_crisp(game, round(width) // GAME[0], zoom)
                self.check_reachable(game, viewport)
        for window, scale in SNUG.items():
            with self.subTest(window=window):
                game = self.open(window)
                self.check_crisp(game, scale, 1)
                self.check_reachable(game, window)
        with self.subTest(width=NARROW[0]):
            game = self.open(NARROW)
            self.check_reachable(game, NARROW)
            self.enter_field(game)
            game.move_to(*cell_centre(4))
            game.click(1)
            wait_until(lambda: self.click_lines(game) == ["click : %d, %d, 1" % cell_centre(4)],
                       harness.DEFAULT_TIMEOUT, "a click in the centre cell")

    def check_reachable(self, game, viewport):
        """The canvas within the window's width and below its top, the page as long as the
        canvas, and the words of the line of help inside the window once scrolled to, never
        over the canvas."""
        left, top, width, height = self.canvas_box(game)
        self.assertTrue(left >= 0 and left + width <= viewport[0] + 1e-3 and top >= 0,
                        "the canvas at %s in %s" % ((left, top, width, height), viewport))
        self.assertGreaterEqual(game.evaluate("document.documentElement.scrollHeight") + 1e-3,
                                top + height)
        game.evaluate("help.scrollIntoView() || true")
        # The words, not the box, whose padding a page scrolled by whole pixels may leave a
        # fraction of a pixel of below the window.
        shown = game.evaluate("""(r => [r.left, r.top, r.right, r.bottom])((range => (
            range.selectNodeContents(help), range))(document.createRange())
            .getBoundingClientRect())""")
        self.assertTrue(shown[0] >= 0 and shown[1] >= 0 and shown[2] <= viewport[0] + 1e-3 and
                        shown[3] <= viewport[1] + 1e-3, "the line of help at %s" % shown)
        canvas_bottom = game.evaluate("canvas.getBoundingClientRect().bottom")
        self.assertGreaterEqual(shown[1] + 1e-3, canvas_bottom, "the line of help over the canvas")

    def test_pointer_hidden_on_help_card_only(self):
        """And a button pressed without the browser's pointer moving is pressed where the
        game's pointer is, as on a desktop: the wheel just after the field moved it to its
        middle, and the left button after the help card put it back there; the middle and right
        buttons do nothing; and the page cancels what the browser would do with them and with
        the wheel."""
        game = self.open(early="window.pointerSeen = []; ['mousedown', 'contextmenu', 'wheel']"
                               ".forEach(type => window.addEventListener(type, event => "
                               "pointerSeen.push(event), true));")
        game.move_to(*FINGER_REST)
        self.enter_field(game)
        game.click(4)
        smaller = Field(self.pictures, pointer=self.START_POINTER, radius=44)
        PlayTest.assert_shows(self, game, smaller, "the board smaller, the pointer unmoved")
        game.click(5)
        PlayTest.assert_shows(self, game, Field(self.pictures, pointer=self.START_POINTER),
                              "the board as large as before")
        cursor = "getComputedStyle(canvas).cursor"
        self.assertNotEqual(game.evaluate(cursor), "none")
        game.key("i")
        game.wait_for_image(self.pictures["item.bmp"], name="item picture")
        self.assertEqual(game.evaluate(cursor), "none")
        game.key("Escape")
        wait_until(lambda: game.evaluate(cursor) != "none", harness.DEFAULT_TIMEOUT,
                   "the pointer back on the field")
        for button in (2, 3, 1):
            game.click(button)
        wait_until(lambda: self.click_lines(game) == ["click : %d, %d, 1" % self.START_POINTER],
                   harness.DEFAULT_TIMEOUT, "the left button's click, after the others")
        # A motion of the browser's pointer moves the game's again.
        game.move_to(*REST)
        field = Field(self.pictures, rings=[7], under_pointer="cross")
        PlayTest.assert_shows(self, game, field, "the ring where the game's pointer was")
        # The left button's press still focuses what it lands on, as the browser does.
        self.assertEqual(game.evaluate("pointerSeen.map(event => [event.type, event.button, "
                                       "event.defaultPrevented])"),
                         [["wheel", 0, True]] * 2 + [["mousedown", 1, True], ["mousedown", 2, True],
                          ["contextmenu", 2, True], ["mousedown", 0, False]])
        # A press where the browser's pointer has moved carries that motion first; the button
        # let go off the canvas leaves the pointer where it was on it.
        field.pointer = FINGER_REST
        frames = game.evaluate("Module._FramesRun()")
        game.evaluate("""(r => {
            canvas.dispatchEvent(new MouseEvent('mousedown', {bubbles: true, button: 1,
                clientX: r.left + %d * r.width / 480, clientY: r.top + %d * r.height / 272}));
            document.body.dispatchEvent(new MouseEvent('mouseup', {bubbles: true, button: 1,
                clientX: r.right + 20, clientY: r.bottom + 20}));
        })(canvas.getBoundingClientRect()) || true""" % FINGER_REST)
        wait_until(lambda: game.evaluate("Module._FramesRun() > %d && !Module._EventsPending()"
                                         % frames), harness.DEFAULT_TIMEOUT, "the release")
        PlayTest.assert_shows(self, game, field, "the pointer after a release off the canvas")

    def test_end_said_plainly_and_new_game_offered(self):
        game = self.open()
        # Space held as the window loses the keyboard and let go elsewhere: SDL must not keep
        # it held, or it would drop the next press as a repeat.
        game.evaluate("""(document.activeElement.dispatchEvent(new KeyboardEvent('keydown',
            {key: ' ', bubbles: true})), dispatchEvent(new Event('blur')),
            dispatchEvent(new Event('focus')), true)""")
        game.wait_for_image(self.pictures["menu.bmp"], name="menu")
        game.key("Escape")
        self.enter_field(game)
        for _ in range(3):
            game.key("Escape")
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.evaluate("document.getElementById('ended').innerText.trim()"),
                         words.ENDED + "\nNew game")
        # No line a desktop would not print: no warning, no error.
        self.assertEqual(game.stderr(), "")
        # The offer has the keyboard, Space too: the game's keys are the browser's again.
        self.check_new_game(game, lambda: game.key("space"))
        # Ended on the help card, as the page goes away: none of the field's or the card's words
        # stay for a screen reader in a page the browser keeps to show again.
        self.enter_field(game)
        game.key("i")
        game.wait_for_image(self.pictures["item.bmp"], name="help card")
        game.evaluate("dispatchEvent(new Event('pagehide')), true")
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.evaluate(
            "['cells', 'ring', 'card'].map((id) => document.getElementById(id).hidden)"),
            [True, True, True])

    def check_new_game(self, game, offer):
        """offer starts a new game: a page of its own, which prints its argument lines."""
        loads = game.loads()
        offer()
        # The game that ended printed the same lines.
        wait_until(lambda: game.loads() > loads and game.stdout() == "1\n%s\n" % harness.ARGV0,
                   harness.DEFAULT_TIMEOUT, "a new game's argument lines")
        game.find_window()
        game.wait_for_image(self.pictures["intro.bmp"], name="intro in the new game")

    def test_offline_after_first_visit(self):
        game = self.open()
        wait_until(lambda: game.evaluate("!!navigator.serviceWorker.controller"),
                   harness.DEFAULT_TIMEOUT, "the service worker to take the page")
        self.server.stop()
        try:
            game.reload()
            game.find_window()
            game.wait_for_image(self.pictures["intro.bmp"], name="intro offline")
        finally:
            self.server.start()

    def test_controls_and_taps(self):
        """By touch on phones' screens in Chromium; by pointer clicks in Firefox, which
        emulates no phone screen; in both, the controls alone in a window too small for the
        canvas beside them."""
        with self.subTest(window=POP_UP):
            self.check_controls(self.open(POP_UP, touch_scale=3), POP_UP, None)
        if self.browser.kind == "firefox":
            game = self.open(touch_scale=1)
            self.check_controls(game, harness.WEB_VIEWPORT, 1)
            self.check_control_run(game, "click")
            return
        for phone, scale in PHONES.items():
            with self.subTest(phone=phone):
                game = self.open(phone[:2], touch_scale=phone[2])
                self.check_controls(game, phone[:2], scale / phone[2])
                if phone in CHECKERED:
                    self.check_checkerboard(game, scale, phone[2])
                if phone == TOUCH_RUNS[0]:
                    # The screen with the controls; the game's own screens are checked below.
                    self.assertEqual(game.browser.call("axe")["violations"], [])
                if phone in TOUCH_RUNS:
                    self.check_touch_run(game)

    def test_keyboard_and_screen_reader_play(self):
        """A whole game by keyboard alone, from the title to a new game: on the field the
        cells are buttons named by place and content, arrows move between them, Enter and
        Space place a mark as a tap would; the live region says each screen's keys, each move,
        whose turn it is and every outcome (rings win, a draw, crosses win), all read from
        Chromium's accessibility tree; a cell activated as a screen reader does places a mark
        too; and axe-core finds nothing wrong on any screen (the touch controls are checked with
        the controls). The canvas is named after its screen and, on the help card, described by the
        card's words; the board is one grid, in the Tab order as one cell; a press on a taken
        cell or after the game is decided is answered; the end describes New game, said once;
        focus shows on every screen; and the page cancels the default action of every key the
        game takes. Once the game has ended a cell takes no key."""
        # Seen before the page's own listeners, to read afterwards whether each was cancelled.
        game = self.open(early="window.keysPressed = []; window.addEventListener('keydown', "
                               "event => keysPressed.push(event), true);")
        chromium = self.browser.kind == "chromium"

        def hears(status, focused=None, screen=None, role="gridcell"):
            """Chromium's accessibility tree, or in Firefox, whose tree puppeteer cannot read,
            the page's own live region and names."""
            if chromium:
                wait_until(lambda: game.browser.call("spoken")["status"].strip() == status,
                           harness.DEFAULT_TIMEOUT, "the live region to say %r" % status)
                if focused:
                    heard = game.browser.call("spoken")["focused"]
                    self.assertEqual((heard["role"], heard["name"]), (role, focused))
                if screen:
                    self.assertEqual(game.browser.call("axe")["violations"], [], screen)
                return
            wait_until(lambda: game.evaluate("said.textContent").strip() == status,
                       harness.DEFAULT_TIMEOUT, "the live region to say %r" % status)
            if focused:
                label = "document.activeElement.getAttribute('aria-label') || " \
                        "document.activeElement.textContent"
                wait_until(lambda: game.evaluate(label) == focused,
                           harness.DEFAULT_TIMEOUT, "the keyboard on %r" % focused)

        def described():
            if chromium:
                return game.browser.call("spoken")["focused"]["description"]
            return game.evaluate("""(id => id ? document.getElementById(id).innerText : '')(
                document.activeElement.getAttribute('aria-describedby'))""")

        hears(words.TITLE, words.TITLE_NAME, "title", "image")
        self.check_focus_shown(game, "the title")
        # Tab is the browser's: it takes the keyboard off the canvas, and the title stays.
        game.key("Tab")
        wait_until(lambda: game.evaluate("document.activeElement.tagName") == "A",
                   harness.DEFAULT_TIMEOUT, "Tab to reach the next control")
        game.evaluate("canvas.focus() || true")
        # Every key reaches SDL as SDL names it, with SDL's modifier state and its character,
        # held until let go; the title takes none of these. Sent as the page's own events, which the browser itself
        # acts on not: Ctrl+L and Ctrl+T and Alt+Left are still the browser's (their defaults
        # are not cancelled, checked with the others below).
        self.assertEqual(game.evaluate("""((lastKeyDown, keys) => {
            Module._SDL_EnableUNICODE(1);
            return keys.map(init => {
                canvas.dispatchEvent(new KeyboardEvent('keydown', {bubbles: true, ...init}));
                const down = lastKeyDown();
                canvas.dispatchEvent(new KeyboardEvent('keyup', {bubbles: true, ...init}));
                return down.concat(Module.HEAPU8[Module._SDL_GetKeyState(0) + down[0]]);
            });
        })(%s, %s)""" % (LAST_KEY_DOWN, json.dumps([key[0] for key in KEYS]))),
                         [list(key[1:]) + [0] for key in KEYS], "keys as SDL gives them")
        self.assertIsNone(game.capture().first_difference(self.pictures["intro.bmp"]))
        self.assertEqual(described(), "", "the card's words off the card")
        # A chord reaches the game: Ctrl+Space starts it, as on a desktop.
        game.key("Control+space")
        game.wait_for_image(self.pictures["menu.bmp"], name="menu")
        hears(words.MENU, words.MENU_NAME, "menu", "image")
        game.key("space")
        field = words.OPENING[-1][2]
        hears(field, cell_named(0), "field")
        self.check_focus_shown(game, "a cell")
        # A column or a row a key, Left from the right column and Down from the bottom row too.
        # One cell in the Tab order, the last one the keyboard was on, even after another: Tab
        # leaves the board, Shift+Tab comes back to that cell.
        for key, cell in [("ArrowRight", 3), ("ArrowRight", 6), ("ArrowLeft", 3),
                          ("ArrowLeft", 0), ("ArrowDown", 1), ("ArrowDown", 2), ("ArrowDown", 2),
                          ("ArrowUp", 1), ("ArrowUp", 0)]:
            game.key(key)
            hears(field, cell_named(cell))
        game.key("Tab")
        wait_until(lambda: game.evaluate("document.activeElement.tagName") == "A",
                   harness.DEFAULT_TIMEOUT, "Tab to leave the board")
        game.key("Shift+Tab")
        hears(field, cell_named(0))
        status = field
        for keys, (_, name), said in words.MOVES:
            for key in keys:
                game.key(key)
            status = said or status
            hears(status, name)
            if said in (words.TAKEN, words.DECIDED):
                # Said again, as a change the live region announces.
                shown = game.evaluate("said.textContent")
                game.key("Enter")
                wait_until(lambda: game.evaluate("said.textContent") != shown,
                           harness.DEFAULT_TIMEOUT, "%r said again" % said)
        # Nothing clicked where the game would take no mark.
        moves = [cell_centre(cell) for cell in (0, 1, 3, 4, 6)]
        wait_until(lambda: self.click_lines(game) == ["click : %d, %d, 1" % move
                                                      for move in moves],
                   harness.DEFAULT_TIMEOUT, "a click for each mark")
        won = Field(self.pictures, rings=[0, 3, 6], crosses=[1, 4], pointer=FINGER_REST,
                    under_pointer=self.pictures["win1.bmp"])
        PlayTest.assert_shows(self, game, won, "the game won by keys")
        # The whole grid, row by row: each cell's name and the game pixel at its middle.
        grid = [[[cell_named(cell, words.WON.get(cell, "empty")), 45 + cell // 3 * 90,
                  45 + cell % 3 * 90] for cell in (row, row + 3, row + 6)] for row in range(3)]
        self.assertEqual(game.evaluate("""Array.from(cells.querySelectorAll('[role=row]'), row =>
            Array.from(row.querySelectorAll('[role=gridcell]'), cell => {
                const board = canvas.getBoundingClientRect(), box = cell.getBoundingClientRect();
                return [cell.textContent,
                        Math.round((box.left + box.width / 2 - board.left) * 480 / board.width),
                        Math.round((box.top + box.height / 2 - board.top) * 272 / board.height)];
            }))"""), grid, "the board's cells")
        # A capital I too, as Shift or Caps Lock gives it.
        game.key("Shift+I")
        game.wait_for_image(self.pictures["item.bmp"], name="help card")
        hears(words.CARD, words.CARD_NAME, "help card", "image")
        self.assertIn("Three in a row wins: a column, a row or a diagonal.",
                      " ".join(described().split()))
        self.assertNotIn("tap", described())
        self.check_focus_shown(game, "the help card")
        game.key("Escape")
        hears(words.FIELD + " Rings win.", cell_named(6, "ring"))
        # The other outcomes, each a new game from the menu on a board named empty again: a
        # draw, then crosses along the middle column.
        for moves, outcome in [((0, 3, 6, 4, 1, 7, 5, 2, 8), "A draw."),
                               ((0, 3, 1, 4, 8, 5), "Crosses win.")]:
            game.key("Escape")
            hears(words.MENU)
            game.key("space")
            hears(field)
            for turn, cell in enumerate(moves):
                game.button(cell_named(cell), "activate")
                after = outcome if turn == len(moves) - 1 else \
                    ("Rings to move." if turn % 2 else "Crosses to move.")
                hears("%s in %s. %s" % ("Cross" if turn % 2 else "Ring", words.place_of(cell),
                                        after))
        for _ in range(3):
            game.key("Escape")
        self.assertEqual(game.wait_exit(), 0)
        # The end is said once, as New game's description, not by the live region as well.
        hears("", words.NEW_GAME, "the end", "button")
        self.assertEqual(described(), words.ENDED)
        self.check_focus_shown(game, "New game")
        self.assertEqual(game.evaluate("""keysPressed.filter(event => event.defaultPrevented !==
            (!(event.ctrlKey || event.altKey || event.metaKey) &&
             [' ', 'Enter', 'ArrowUp', 'ArrowDown', 'ArrowLeft', 'ArrowRight']
                .includes(event.key))).map(event => event.key)"""), [],
                         "keys whose default the page let happen although it would move the page "
                         "under the game, or cancelled although it would not")
        output, loads = game.stdout(), game.loads()
        game.evaluate("""['keydown', 'keyup'].forEach(type =>
            document.querySelector('#cells [role=gridcell]').dispatchEvent(new KeyboardEvent(type,
                {key: 'Enter', bubbles: true, cancelable: true}))) || true""")
        self.assertFalse(game.stays_alive(0.3))
        self.assertEqual((game.stdout(), game.loads()), (output, loads), "a cell took a key")
        self.check_new_game(game, lambda: game.key("Enter"))

    def check_focus_shown(self, game, where):
        """Where the keyboard is shows: the ring changes at least as many pixels as a band 2
        pixels wide around the focused element by at least 3:1 against what is there without
        it, and nearly all it changes (rounded corners are smoothed, a picture's corner may be
        unlike its edges): a ring as faint as its neighbours anywhere along a side fails."""
        focused = game.screenshot().pixels
        game.evaluate("document.head.insertAdjacentHTML('beforeend', '<style id=unringed>* "
                      "{outline: none !important; box-shadow: none !important}</style>') || true")
        plain = game.screenshot().pixels
        game.evaluate("document.getElementById('unringed').remove() || true")
        width, height = game.evaluate(
            "(r => [r.width, r.height])(document.activeElement.getBoundingClientRect())")
        changed = np.any(focused != plain, axis=2)
        light, dark = np.sort([luminance(focused[changed]), luminance(plain[changed])], 0)[::-1]
        clear = (light + 0.05) / (dark + 0.05) >= 3
        self.assertGreaterEqual(clear.sum(), 4 * (width + height), "the focus ring on " + where)
        self.assertGreater(clear.mean(), 0.9, "the focus ring's contrast on " + where)

    def test_gamepad(self):
        """One that appears after load, buttons 9 and 8; and 9 pressed while the page loads and
        held, which the title takes once the game starts."""
        self.check_gamepad(self.open())
        # Pressed before the game's script has even been fetched and held as it starts, as
        # SDL's desktop drivers give a button held when the joystick opens; announced twice
        # (plugged in again), it is still one press.
        early = PAD_SCRIPT + """
            document.addEventListener('DOMContentLoaded', () => {
                plugPad(true, [9]);
                plugPad(true, [9]);
            });"""
        game = self.start_page((), harness.shipped_pictures(harness.ASSETS), None, early=early)
        game.wait_for_image(self.pictures["menu.bmp"], name="menu after 9 while loading")

    def check_controls(self, game, viewport, scale):
        """Five buttons, each at least 44 x 44, inside the window and clear of the line of help,
        which names them, and of the canvas at the largest scale that leaves them room (scale;
        None for a window without room for it, where they lie over it)."""
        canvas = self.canvas_box(game)
        if scale:
            for size, game_size in zip(canvas[2:], GAME):
                self.assertAlmostEqual(size, game_size * scale, delta=1e-3)
        help_top, help_text, layout = game.evaluate(
            "[help.getBoundingClientRect().top, help.innerText, document.body.dataset.layout]")
        # Words for fingers, not keys.
        title = "Title screen: tap Start to go on, or Back to end the game."
        wait_until(lambda: game.evaluate("said.textContent").strip() == title,
                   harness.DEFAULT_TIMEOUT, "the live region to say %r" % title)
        for name in CONTROLS:
            box = game.button(name)
            left, top, width, height = box
            self.assertGreaterEqual(min(width, height), 44, name)
            self.assertTrue(0 <= left and left + width <= viewport[0] and 0 <= top and
                            top + height <= help_top, "%s at %s in %s" % (name, box, viewport))
            # Nothing covers it.
            self.assertEqual(game.evaluate(
                "document.elementFromPoint(%f, %f).textContent" % (left + width / 2,
                                                                   top + height / 2)), name)
            if scale:
                self.assertFalse(overlap(box, canvas), "%s at %s over the canvas %s" % (
                    name, box, canvas))
                # Below the canvas or beside it, as the layout says, never above it.
                after = top - canvas[1] - canvas[3] if layout == "below" else \
                    left - canvas[0] - canvas[2]
                self.assertGreaterEqual(after, -1e-3, "%s at %s %s the canvas %s" % (
                    name, box, layout, canvas))
            self.assertIn(name, help_text)
        if scale:
            self.assertLessEqual(canvas[1] + canvas[3], help_top)

    def wait_for_change(self, game, frame, what):
        wait_until(lambda: game.capture().first_difference(frame) is not None,
                   harness.DEFAULT_TIMEOUT, what)
        return game.capture()

    def check_control_run(self, game, press, play=None):
        """Start, Start, play (if given), Help, Back, Smaller board, Larger board (the frame
        as before both), Back three times to the end; then no control does anything."""
        game.button("Start", press)
        game.wait_for_image(self.pictures["menu.bmp"], name="menu after Start")
        game.button("Start", press)
        self.wait_for_change(game, self.pictures["menu.bmp"], "the field after Start")
        if play:
            play()
        game.button("Help", press)
        game.wait_for_image(self.pictures["item.bmp"], name="help card after Help")
        self.assertIn("tap a free cell", game.evaluate("card.innerText"))
        self.assertNotIn("Enter", game.evaluate("card.innerText"))
        game.button("Back", press)
        field = self.wait_for_change(game, self.pictures["item.bmp"], "the field after Back")
        game.button("Smaller board", press)
        self.wait_for_change(game, field, "a smaller board")
        game.button("Larger board", press)
        game.wait_for_image(field, name="the board as large as before")
        game.button("Back", press)
        game.wait_for_image(self.pictures["menu.bmp"], name="menu after Back")
        game.button("Back", press)
        game.wait_for_image(self.pictures["intro.bmp"], name="intro after Back")
        game.button("Back", press)
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.stderr(), "")
        output = game.stdout()
        # As assistive technology would press it, under the message that covers it.
        game.button("Start", "activate")
        self.assertFalse(game.stays_alive(0.3), "Start after the end started a game")
        self.assertEqual(game.stdout(), output)

    def check_touch_run(self, game):
        """The whole game by touch alone: each tap clicks the game pixel under the finger, at
        its exact place, or the nearest inside the window for a finger just off the canvas;
        twenty taps in a burst each in order, a second finger clicks nothing; a lifted finger
        leaves the pointer off the board, so the mark just placed shows."""
        def play():
            spots = game.tap(*RAPID_TAPS)
            # Cell 0 under the second finger: a click there would take it from the rings.
            spots += game.browser.call("twoFingers", a=REST, b=cell_centre(0))["spots"]
            # Cell 0 by a finger left of the canvas, which clicks the nearest pixel inside.
            game.tap((-6, 45.5), exact=True)
            spots.append((0.5, 45.5))
            spots += game.tap(*[cell_centre(cell) for cell in (3, 1)])
            # Cell 4 at a fraction of a CSS pixel.
            spots += game.tap((179.5, 179.5), exact=True)
            spots += game.tap(cell_centre(2))
            wait_until(lambda: len(self.click_lines(game)) == len(spots),
                       harness.DEFAULT_TIMEOUT, "%d click lines" % len(spots))
            for line, (finger_x, finger_y) in zip(self.click_lines(game), spots):
                x, y = map(int, line[len("click : "):].split(", ")[:2])
                # A finger on the line between two pixels is in either.
                self.assertTrue(-1e-6 <= finger_x - x < 1 + 1e-6 and
                                -1e-6 <= finger_y - y < 1 + 1e-6,
                                "%s for a finger at %.2f, %.2f" % (line, finger_x, finger_y))
            won = Field(self.pictures, rings=[0, 1, 2], crosses=[3, 4], pointer=FINGER_REST,
                        under_pointer=self.pictures["win1.bmp"])
            PlayTest.assert_shows(self, game, won, "the game won by taps")

        self.check_control_run(game, "tap", play)
        self.assertGreaterEqual(min(game.button(words.NEW_GAME)[2:]), 44)
        self.check_new_game(game, lambda: game.button(words.NEW_GAME, "tap"))

    def check_gamepad(self, game):
        """A standard gamepad connected after load, revealed by a press of button 9, as
        joystick 0: 9 is Space and closes the help card, 8 is Escape; it keeps working once
        unplugged and plugged in again, and after the page was hidden, when the game sleeps;
        unplugged for good it lets the game sleep."""
        game.evaluate(PAD_SCRIPT + "true")

        def press(button, check):
            game.evaluate("padButton(%d, true)" % button)
            check()
            frames = game.evaluate("Module._FramesRun()")
            game.evaluate("padButton(%d, false)" % button)
            # The release must be seen before the next press.
            wait_until(lambda: game.evaluate("Module._FramesRun()") > frames + 1,
                       harness.DEFAULT_TIMEOUT, "two frames")

        def shows(picture, name):
            return lambda: game.wait_for_image(picture, name=name)

        # Plugged in, and revealed by the press.
        game.evaluate("plugPad(true)")
        press(9, shows(self.pictures["menu.bmp"], "menu after the revealing 9"))
        press(8, shows(self.pictures["intro.bmp"], "intro after 8"))
        press(9, shows(self.pictures["menu.bmp"], "menu after 9"))
        press(9, lambda: PlayTest.assert_shows(self, game, Field(self.pictures,
                                                                 pointer=(240, 136)),
                                               "field after 9"))
        field = game.capture()
        game.key("i")
        game.wait_for_image(self.pictures["item.bmp"], name="help card")
        press(9, shows(field, "the field after 9 on the help card"))
        game.evaluate("plugPad(false) && plugPad(true)")
        press(8, shows(self.pictures["menu.bmp"], "menu after 8, plugged in again"))
        # Once the frame that saw it has run, the browser shows frames the game sleeps through.
        asleep = """(async () => {
            const frames = () => new Promise(done => requestAnimationFrame(() =>
                requestAnimationFrame(() => requestAnimationFrame(done))));
            await frames();
            const run = Module._FramesRun();
            await frames();
            return Module._FramesRun() === run;
        })()"""
        # Hidden, the page is SDL_APPACTIVE lost and the game sleeps, the pad listed or not;
        # shown again, it polls the pad again.
        visible = """(hidden => (Object.defineProperty(document, 'hidden', {configurable: true,
            get: () => hidden}), document.dispatchEvent(new Event('visibilitychange')),
            Module._SDL_GetAppState()))(%s)"""
        self.assertEqual(game.evaluate(visible % "true") & 4, 0, "SDL_APPACTIVE when hidden")
        self.assertTrue(game.evaluate(asleep), "the game asleep while hidden")
        self.assertEqual(game.evaluate(visible % "false") & 4, 4, "SDL_APPACTIVE when shown")
        press(8, shows(self.pictures["intro.bmp"], "intro after 8, shown again"))
        # Gone for good, the pad no longer keeps the frames going.
        game.evaluate("plugPad(false)")
        self.assertTrue(game.evaluate(asleep), "the game asleep once the pad is gone")


def luminance(rgb):
    """Relative luminance of sRGB pixels, as contrast ratios are worked out."""
    channel = rgb / 255.0
    linear = np.where(channel <= 0.04045, channel / 12.92, ((channel + 0.055) / 1.055) ** 2.4)
    return linear @ [0.2126, 0.7152, 0.0722]


def overlap(a, b):
    return a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]


if __name__ == "__main__":
    harness.run_tests()
