"""End to end: the installed game, started through its launcher from an unrelated folder.

Run as: installed_test.py <installed games/noughts launcher> <assets dir>
The launcher must find the binary and the pictures in its own installed tree, so the game's
working folder here starts empty.
"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402


class InstalledGameTest(harness.GameTestCase):
    def window_title(self, game):
        result = subprocess.run(["xdotool", "getwindowname", str(game.window)],
                                env=self.x.env(), stdin=subprocess.DEVNULL,
                                capture_output=True, timeout=harness.TOOL_TIMEOUT, check=True)
        return result.stdout.decode().rstrip("\n")

    def test_launcher_starts_the_titled_game_in_its_picture_folder(self):
        tree = os.path.dirname(os.path.dirname(os.path.realpath(harness.BINARY)))
        game = self.start_game(["a", "b c"], pictures={})
        game.wait_for_image(self.asset("intro.bmp"), name="installed intro")
        self.assertEqual(self.window_title(game), "Noughts & Crosses")
        # The launcher execs the game, so its process is the game's.
        self.assertEqual(os.readlink("/proc/%d/cwd" % game.process.pid),
                         os.path.join(tree, "share", "games", "noughts"))
        game.key("Escape")
        self.assertEqual(game.wait_exit(), 0)
        binary = os.path.join(tree, "libexec", "noughts", "noughts")
        self.assertEqual(game.stdout(), "3\n%s\na\nb c\n" % binary)


if __name__ == "__main__":
    harness.run_tests()
