"""End to end: hostile pictures and files that are no pictures at all.

A picture that describes an impossible surface must leave the window exactly as a missing one
would, on every screen; a FIFO or a directory named like a picture must neither block nor end
the game. Each run checks its waits and its exit.

Run as: hostile_pictures_test.py <noughts binary> <assets dir>
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import PICTURE_NAMES, cell_centre, shipped_pictures, wait_until  # noqa: E402

SEEDS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fuzz", "seeds",
                     "picture")
# Both made SDL 1.2's own blit or the game's drawing write past a buffer before the checks.
HOSTILE = ("min-height.bmp", "wrapped-pitch.bmp")
REST = (380, 150)  # off the board: a click there changes nothing


def clicks(game):
    return game.stdout().count("click : ")


def ring_wins(game):
    for cell in (0, 3, 1, 4, 2):
        game.move_to(*cell_centre(cell))
        game.click()
    game.move_to(*REST)


# Every screen and every role of a picture: the intro and menu, the field with empty cells, a
# ring, a cross and the pointer's mark, the item card over the field, and a result plate. Each
# step's clicks on the field, or None where it ends on a picture screen, which has nothing to
# wait for: without its picture it draws nothing, so it shows what was there before the step.
STEPS = (
    ("intro", lambda game: None, None),
    ("menu", lambda game: game.key("space"), None),
    ("field", lambda game: (game.warped(lambda: game.key("space"), 240, 136),
                            game.move_to(*REST)), 0),
    ("item", lambda game: game.key("i"), None),
    ("field again", lambda game: game.key("Escape"), 0),
    ("result", ring_wins, 5),
)


class HostilePicturesTest(harness.GameTestCase):
    def run_steps(self, pictures, expected=None):
        """Runs STEPS; returns the captures, each first awaited as expected's when given."""
        game = self.start_game(pictures=pictures)
        captures = []
        for number, (name, step, step_clicks) in enumerate(STEPS):
            before = clicks(game)
            step(game)
            if step_clicks is not None:
                # The field handles one input a pass and draws at its end: once the line of a
                # last click at REST is out, everything before it is drawn.
                game.click()
                wait_until(lambda: clicks(game) == before + step_clicks + 1,
                           harness.DEFAULT_TIMEOUT, "the clicks of " + name)
            self.assertTrue(game.alive(), "game ended at " + name)
            if expected is None:
                captures.append(game.capture())
            else:
                captures.append(game.wait_for_image(expected[number], name=name))
        for _ in range(3):  # field, menu, intro, each left with Escape
            self.assertTrue(game.alive(), "game ended before its last Escape")
            game.key("Escape")
        self.assertEqual(game.wait_exit(), 0)
        return captures, game.stdout(), game.stderr()

    def test_hostile_picture_in_every_slot_shows_as_missing(self):
        missing, missing_out, missing_err = self.run_steps({})
        for hostile in HOSTILE:
            with self.subTest(hostile):
                pictures = {name: os.path.join(SEEDS, hostile) for name in PICTURE_NAMES}
                _, out, err = self.run_steps(pictures, expected=missing)
                self.assertEqual(out, missing_out)
                self.assertEqual(err, missing_err)

    def test_fifo_or_directory_as_cell_picture_neither_blocks_nor_ends_the_game(self):
        self.skip_in_browser("a page's files live in memory, with no FIFOs; none is made there")
        menu = self.asset("menu.bmp")
        intro = self.asset("intro.bmp")
        for kind, make in (("fifo", os.mkfifo), ("directory", os.mkdir)):
            with self.subTest(kind):
                game = self.start_game(pictures=shipped_pictures(harness.ASSETS,
                                                                 leave_out=["NULL.bmp"]))
                make(os.path.join(game.workdir, "NULL.bmp"))
                game.wait_for_image(intro, name="intro")
                game.key("space")
                game.wait_for_image(menu, name="menu")
                for _ in range(2):  # in and out of the field, twice
                    game.key("space")
                    # A busy machine may not have drawn the field yet: wait for it, never sample.
                    wait_until(lambda: game.capture().first_difference(menu) is not None,
                               harness.DEFAULT_TIMEOUT, "the field to replace the menu")
                    self.assertTrue(game.alive(), "game ended entering the field")
                    game.key("Escape")
                    game.wait_for_image(menu, name="menu after the field")
                game.key("Escape")
                game.wait_for_image(intro, name="intro after the menu")
                game.key("Escape")
                self.assertEqual(game.wait_exit(), 0)
                game.stop()


if __name__ == "__main__":
    harness.run_tests()
