"""End to end: start-up, the intro and menu screens, and every way the game can end.

Run as: frame_and_pictures_test.py <noughts binary> <assets dir>
"""

import os
import signal
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import shipped_pictures  # noqa: E402
import play_test  # noqa: E402  (as a module: its tests are its own file's)


class FrameAndPicturesTest(harness.GameTestCase):
    def start_on_menu(self):
        game = self.start_game()
        game.wait_for_image(self.pictures["intro.bmp"], name="intro")
        game.key("space")
        game.wait_for_image(self.pictures["menu.bmp"], name="menu")
        return game

    def test_start_prints_arguments_and_shows_the_intro_picture_exactly(self):
        intro = self.pictures["intro.bmp"]
        self.assertEqual((intro.width, intro.height), (480, 272))
        # Every platform prints the same UTF-8, whatever the script and the ANSI code page.
        game = self.start_game(["a", "b c", "ünïcödé", "Жук", "日本", "€"])
        self.assertEqual(game.geometry()[2:], (480, 272))
        game.wait_for_image(self.pictures["intro.bmp"], name="intro")
        # A page's icons are its site's, which the page's own tests check; a Wayland window has
        # none, its desktop entry's standing for it.
        if not harness.is_web_page(harness.BINARY) and harness.WAYLAND != "native":
            harness.wait_until(lambda: (32, 32) in game.icon_sizes(), harness.DEFAULT_TIMEOUT,
                               "the window's icon")
        game.key("Escape")
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.stdout(),
                         "7\n%s\na\nb c\nünïcödé\nЖук\n日本\n€\n" % harness.ARGV0)

    def test_space_opens_the_menu_and_escape_goes_back_then_ends(self):
        game = self.start_on_menu()
        game.key("Escape")
        game.wait_for_image(self.pictures["intro.bmp"], name="intro after menu")
        game.key("Escape")
        self.assertEqual(game.wait_exit(), 0)

    def test_quit_requests_end_the_game_cleanly(self):
        def close(game):
            self.x.send_close_request(game.window)

        cases = [
            ("SIGTERM on the menu", True, lambda game: game.send_signal(signal.SIGTERM)),
            ("SIGINT on the menu", True, lambda game: game.send_signal(signal.SIGINT)),
            ("window close on the menu", True, close),
            ("window close on the intro", False, close),
        ]
        for name, on_menu, request in cases:
            with self.subTest(name):
                if name.startswith("SIG"):
                    self.skip_without_unix_signals()
                else:
                    self.skip_in_browser("a page is closed with its tab, not asked to close")
                if on_menu:
                    game = self.start_on_menu()
                else:
                    game = self.start_game()
                    game.wait_for_image(self.pictures["intro.bmp"], name="intro")
                request(game)
                self.assertEqual(game.wait_exit(), 0)
                game.stop()

    def test_unknown_video_driver_ends_with_status_1_and_sdl_error(self):
        # Each SDL 1.2 words the reason its own way; some reason must follow the prefix.
        game = self.start_game(["x"], env={"SDL_VIDEODRIVER": "bogus"}, window=False)
        self.assertEqual(game.wait_exit(), 1)
        self.assertRegex(game.stderr(), r"(?m)^Couldn't initialize SDL: \S.*\n")
        self.assertEqual(game.stdout(), "2\n%s\nx\n" % harness.ARGV0)

    def test_missing_menu_picture_leaves_the_intro_on_screen(self):
        game = self.start_game(pictures=shipped_pictures(harness.ASSETS, leave_out=["menu.bmp"]))
        game.wait_for_image(self.pictures["intro.bmp"], name="intro")
        game.key("space")
        self.assertTrue(game.stays_alive(0.3), "game ended on Space: " + game.stderr())
        self.assertIsNone(game.capture().first_difference(self.pictures["intro.bmp"]))
        # Had the menu not opened, this Escape would end the game.
        game.key("Escape")
        self.assertTrue(game.stays_alive(0.3), "Escape on the menu ended the game")
        game.key("Escape")
        self.assertEqual(game.wait_exit(), 0)

    def test_smaller_menu_picture_of_any_depth_covers_only_the_top_left_corner(self):
        # The shipped pictures have 32 bits a pixel. Palettes get colours a decoder's own
        # conversions would shift (near white, near grey); an odd width pads every row. A palette
        # entry and an 8-bit channel show exactly as they are stored.
        palette = np.array([(250, 245, 240), (3, 83, 170), (17, 1, 254), (128, 129, 127),
                            (0, 0, 0), (255, 255, 255), (99, 200, 7), (240, 10, 130)], np.uint8)
        y, x = np.mgrid[0:100, 0:203]
        few_colours = harness.Image.from_array(palette[(x * 7 + y * 5 + (x ^ y)) % 8])
        cases = [(24, harness.pattern_image(203, 100, seed=3)), (8, few_colours),
                 (4, few_colours)]
        # An 8-bit cell picture without white or black: what the game draws into its copies
        # (frames, the ring) takes the palette's nearest colours, as SDL 1.2 maps them.
        y, x = np.mgrid[0:90, 0:90]
        cell = harness.Image.from_array(palette[[0, 1, 2, 3, 6, 7]][(x * 3 + y * 11) % 6])
        for bits, small_menu in cases:
            with self.subTest("%d bits a pixel" % bits):
                pictures = shipped_pictures(harness.ASSETS)
                pictures["menu.bmp"] = harness.bmp_bytes(small_menu, bits)
                if bits == 8:
                    pictures["NULL.bmp"] = harness.bmp_bytes(cell, bits)
                game = self.start_game(pictures=pictures)
                game.wait_for_image(self.pictures["intro.bmp"], name="intro")
                game.key("space")
                game.wait_for_image(self.pictures["intro.bmp"].paste(small_menu, 0, 0),
                                    name="%d-bit menu over intro" % bits)
                if bits == 8:
                    # The field's own move of the pointer would overtake one sent before it.
                    game.warped(lambda: game.key("space"), *self.START_POINTER)
                    game.move_to(*play_test.REST)
                    field = play_test.Field({"NULL.bmp": cell}, white=(250, 245, 240),
                                            black=(3, 83, 170))
                    play_test.PlayTest.assert_shows(self, game, field, "field of 8-bit cells")
                    game.stop()
                    continue
                game.key("Escape")
                game.wait_for_image(self.pictures["intro.bmp"], name="intro after small menu")
                game.key("Escape")
                self.assertEqual(game.wait_exit(), 0)
                game.stop()

    def test_scaled_twice_by_sdl12_compat_each_game_pixel_shows_as_two_by_two(self):
        # What docs/README-linux.md gives a player on a large screen; classic SDL 1.2 cannot scale.
        version = harness.sdl12_compat_version(harness.BINARY)
        if version is None or harness.WAYLAND:
            self.skipTest("whole-number scaling is sdl12-compat's, tried on X")
        env = {"SDL12COMPAT_WINDOW_SCALING": "2", "SDL12COMPAT_SCALE_METHOD": "nearest"}

        def doubled(image):
            return harness.Image.from_array(image.pixels.repeat(2, axis=0).repeat(2, axis=1))

        class GamePixels:
            """The game as its own pixels: each 2 x 2 square of the window read as one, or the
            whole window where they differ, which no comparison passes."""
            capture = staticmethod(lambda: halved(game.capture()))
            save_mismatch = staticmethod(lambda *args: game.save_mismatch(*args))

        def halved(image):
            half = harness.Image.from_array(image.pixels[::2, ::2].copy())
            return half if doubled(half).first_difference(image) is None else image

        with harness.XServer(1280, 720) as big, harness.Game(
                big, harness.BINARY, pictures=shipped_pictures(harness.ASSETS), env=env) as game:
            game.find_window()
            self.assertEqual(game.geometry()[2:], (960, 544))
            game.wait_for_image(doubled(self.pictures["intro.bmp"]), name="intro at 2x")
            game.key("space")
            game.wait_for_image(doubled(self.pictures["menu.bmp"]), name="menu at 2x")
            # sdl12-compat scales the pointer's move into the window from 1.2.70 on.
            centre = self.START_POINTER
            warp = centre if version < 70 else (centre[0] * 2, centre[1] * 2)
            game.warped(lambda: game.key("space"), *warp)
            ring, rest = harness.cell_centre(4), play_test.REST
            game.move_to(ring[0] * 2 + 1, ring[1] * 2 + 1)
            game.click(1)
            game.move_to(rest[0] * 2, rest[1] * 2)
            field = play_test.Field(self.pictures, rings=[4], under_pointer="cross")
            play_test.PlayTest.assert_shows(self, GamePixels, field, "a ring at 2x")
            game.key("i")
            game.wait_for_image(doubled(self.pictures["item.bmp"]), name="help card at 2x")
            for _ in range(4):
                game.key("Escape")
            self.assertEqual(game.wait_exit(), 0)
            self.assertTrue(game.stdout().endswith("click : %d, %d, 1\n" % ring), game.stdout())


if __name__ == "__main__":
    harness.run_tests()
