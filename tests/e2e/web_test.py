"""End to end in a browser: the start-up, picture, hostile picture, quit and play tests against
the web build, and what only a page has. The browser is NOUGHTS_BROWSER (chromium or firefox).

Run as: web_test.py <site>/index.html <assets dir>
"""

import os
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from frame_and_pictures_test import FrameAndPicturesTest  # noqa: E402,F401
from harness import wait_until  # noqa: E402
from hostile_pictures_test import HostilePicturesTest  # noqa: E402,F401
from play_test import BLACK, Field, PlayTest, cell_centre, solid  # noqa: E402,F401

GAME = (480, 272)
# Viewports whose largest whole scale for the 480 x 272 canvas is 2 and 3.
VIEWPORTS = {2: (1100, 700), 3: (1500, 900)}


class WebPageTest(harness.GameTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.pictures = {name: cls.asset(name) for name in harness.PICTURE_NAMES}

    def open(self, viewport=harness.WEB_VIEWPORT, leave_out=()):
        game = self.start_page((), harness.shipped_pictures(harness.ASSETS, leave_out), None,
                               viewport)
        game.wait_for_image(self.pictures["intro.bmp"], name="intro")
        return game

    def enter_field(self, game, pictures=None):
        game.key("space")
        game.wait_for_image(self.pictures["menu.bmp"], name="menu")
        game.key("space")
        PlayTest.assert_shows(self, game, Field(pictures or self.pictures, pointer=(240, 136)),
                              "field")

    def click_lines(self, game):
        return [line for line in game.stdout().splitlines() if line.startswith("click :")]

    def check_scale(self, game, scale, viewport):
        """The canvas is scale times the game, centred, every game pixel a crisp square."""
        left, top, width, height = game.evaluate(
            "(r => [r.left, r.top, r.width, r.height])(canvas.getBoundingClientRect())")
        self.assertEqual((width, height), (GAME[0] * scale, GAME[1] * scale))
        self.assertEqual((left, top), ((viewport[0] - width) / 2, (viewport[1] - height) / 2))
        shown = game.screenshot().crop(int(left), int(top), int(width), int(height))
        scaled = np.repeat(np.repeat(game.capture().pixels, scale, 0), scale, 1)
        difference = shown.first_difference(harness.Image.from_array(scaled))
        self.assertIsNone(difference, "the page does not show the game's pixels crisply")

    def test_page_stand_ins_scale_clicks_taps_pointer_end_and_offline(self):
        with self.subTest("what the page says about itself"):
            game = self.open()
            self.assertEqual(game.evaluate("document.title"), "Noughts & Crosses")
            self.assertEqual(game.evaluate("document.documentElement.lang"), "en")
            self.assertTrue(game.evaluate("document.querySelector('meta[name=description]')"
                                          ".content"))
            self.assertIn("Space", game.evaluate("canvas.getAttribute('aria-label')"))

        with self.subTest("a missing cell picture's stand-in is black, as on a desktop"):
            game = self.open(leave_out=["NULL.bmp"])
            self.enter_field(game, {**self.pictures, "NULL.bmp": solid(90, 90, BLACK)})

        for scale, viewport in VIEWPORTS.items():
            with self.subTest("scale %d: crisp, centred, clicks mapped" % scale):
                game = self.open(viewport)
                self.check_scale(game, scale, viewport)
                self.enter_field(game)
                # Corners and the last pixel of a cell: any rounding slip moves one of them.
                clicks = [(0, 0), (479, 271), (89, 179), (90, 180)]
                for x, y in clicks:
                    game.move_to(x, y)
                    game.click(1)
                expected = ["click : %d, %d, 1" % click for click in clicks]
                wait_until(lambda: self.click_lines(game) == expected, harness.DEFAULT_TIMEOUT,
                           "the clicks at scale %d: %s" % (scale, expected))

        with self.subTest("a tap moves the pointer there and clicks"):
            if self.browser.kind == "firefox":
                self.skipTest("headless Firefox cannot make touches (its WebDriver refuses them)")
            game = self.open(VIEWPORTS[2])
            self.enter_field(game)
            # Off the board first: the pointer's image follows the tap and nothing is placed.
            rest = (380, 150)
            game.tap(*rest)
            PlayTest.assert_shows(self, game, Field(self.pictures, pointer=rest), "tap aside")
            taps = [cell_centre(3), rest]
            for x, y in taps:
                game.tap(x, y)
            expected = ["click : %d, %d, 1" % tap for tap in [rest] + taps]
            wait_until(lambda: self.click_lines(game) == expected, harness.DEFAULT_TIMEOUT,
                       "the taps' clicks: %s" % expected)
            field = Field(self.pictures, rings=[3], under_pointer="cross", pointer=rest)
            PlayTest.assert_shows(self, game, field, "a ring where the tap was")

        with self.subTest("the pointer is hidden on the help card only"):
            cursor = "getComputedStyle(canvas).cursor"
            self.assertNotEqual(game.evaluate(cursor), "none")
            game.key("i")
            game.wait_for_image(self.pictures["item.bmp"], name="item picture")
            self.assertEqual(game.evaluate(cursor), "none")
            game.key("Escape")
            wait_until(lambda: game.evaluate(cursor) != "none", harness.DEFAULT_TIMEOUT,
                       "the pointer back on the field")

        with self.subTest("the end is said plainly and a new game offered"):
            for _ in range(3):
                game.key("Escape")
            self.assertEqual(game.wait_exit(), 0)
            self.assertEqual(game.evaluate("document.getElementById('ended').innerText.trim()"),
                             "The game has ended.\nNew game")
            # No line a desktop would not print: no warning, no error.
            self.assertEqual(game.stderr(), "")
            # The offer has the keyboard.
            game.key("Enter")
            wait_until(lambda: game.stdout() == "1\n%s\n" % harness.ARGV0,
                       harness.DEFAULT_TIMEOUT, "a new game's argument lines")
            game.find_window()
            game.wait_for_image(self.pictures["intro.bmp"], name="intro in the new game")

        with self.subTest("offline after the first visit"):
            wait_until(lambda: game.evaluate("!!navigator.serviceWorker.controller"),
                       harness.DEFAULT_TIMEOUT, "the service worker to take the page")
            self.server.stop()
            try:
                game.reload()
                game.find_window()
                game.wait_for_image(self.pictures["intro.bmp"], name="intro offline")
            finally:
                self.server.start()


if __name__ == "__main__":
    harness.run_tests()
