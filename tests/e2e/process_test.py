"""End to end: the game in hostile process surroundings. Standard output a pipe whose reader
has gone, standard streams closed at start, signals that end a process at once, a display
that goes away, and SDL calls that fail.

The game is started through a shell that sets up its surroundings and then replaces itself
with the game, so the process the harness watches is the game itself. SDL calls are failed by
a library preloaded into the game (tests/fault_shim.cpp), whose path CTest passes in
NOUGHTS_FAULT_SHIM.

Run as: process_test.py <noughts binary> <assets dir>
"""

import os
import select
import shutil
import signal
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import (BLACK, GRAY, WHITE, HarnessError, cell_centre,  # noqa: E402
                     shipped_pictures)

READ_TIMEOUT = harness.DEFAULT_TIMEOUT


def read_lines(fd, count, timeout=READ_TIMEOUT):
    """Reads from a non-blocking descriptor until count lines arrived; returns all that was
    read."""
    deadline = time.monotonic() + timeout
    data = b""
    while data.count(b"\n") < count:
        remaining = deadline - time.monotonic()
        if remaining <= 0:
            raise HarnessError("no %d lines within %.1f s; read so far: %r" %
                               (count, timeout, data))
        ready, _, _ = select.select([fd], [], [], remaining)
        if ready:
            chunk = os.read(fd, 4096)
            if not chunk:
                raise HarnessError("writer closed the pipe; read so far: %r" % data)
            data += chunk
    return data.decode()


def pending(fd):
    """What can be read from a non-blocking descriptor right now."""
    try:
        return os.read(fd, 4096)
    except BlockingIOError:
        return b""


class ProcessTest(harness.GameTestCase):
    def start_through_shell(self, script, env=None, window=True):
        """Starts the game as `exec "$0" "$@"` inside script (under its emulator, if any), with
        the shipped pictures and no core files; returns it, with window once its window is found
        and the intro on show."""
        game_command = [*harness.EMULATOR, harness.BINARY]
        if harness.EMULATOR and env:
            game_command, env = harness.emulated(harness.BINARY, env)
        game = harness.Game(self.x, "/bin/sh", ["-c", 'ulimit -c 0; ' + script, *game_command],
                            pictures=shipped_pictures(harness.ASSETS), env=env)
        self.addCleanup(game.stop)
        game.start()
        if window:
            game.find_window()
            game.wait_for_image(self.asset("intro.bmp"), name="intro")
        return game

    def fault_env(self, fault):
        """The environment in which the fault library (tests/fault_shim.cpp) fails fault."""
        shim = os.environ.get("NOUGHTS_FAULT_SHIM")
        if not shim:
            self.skipTest("NOUGHTS_FAULT_SHIM does not name the fault library")
        # ld.so splits LD_PRELOAD at spaces and colons, which the build folder's path may hold.
        plain = tempfile.mkdtemp(prefix="noughts-shim-")
        self.addCleanup(shutil.rmtree, plain, ignore_errors=True)
        preload = os.path.join(plain, "fault_shim.so")
        os.symlink(shim, preload)
        # The dummy audio driver keeps the sound library's complaints off standard error.
        return {"LD_PRELOAD": preload, "NOUGHTS_TEST_FAULT": fault, "SDL_AUDIODRIVER": "dummy"}

    def enter_play(self, game):
        game.key("space")
        game.warped(lambda: game.key("space"), 240, 136)  # the window's centre

    def click(self, game, cell):
        game.move_to(*cell_centre(cell))
        game.click()

    def quit_from_play(self, game):
        for _ in range(3):
            game.key("Escape")
        self.assertEqual(game.wait_exit(), 0, game.stderr())

    def test_click_lines_into_a_pipe_nobody_reads_are_lost_and_later_ones_written(self):
        fifo = os.path.join(tempfile.mkdtemp(prefix="noughts-fifo-"), "out")
        self.addCleanup(os.rmdir, os.path.dirname(fifo))
        os.mkfifo(fifo)
        self.addCleanup(os.unlink, fifo)
        reader = os.open(fifo, os.O_RDONLY | os.O_NONBLOCK)
        try:
            game = self.start_through_shell('exec "$0" "$@" >"$NOUGHTS_FIFO"',
                                            env={"NOUGHTS_FIFO": fifo})
            self.assertEqual(read_lines(reader, 2), "1\n%s\n" % harness.BINARY)
        finally:
            os.close(reader)
        # Like `noughts | head -1`: the reader has gone, and every click line now fails.
        self.enter_play(game)
        for cell in (0, 4, 8):
            self.click(game, cell)
        # Events are handled in order: once the item picture shows, so have the clicks.
        game.key("i")
        game.wait_for_image(self.asset("item.bmp"), name="item after lost clicks")

        reader = os.open(fifo, os.O_RDONLY | os.O_NONBLOCK)
        try:
            self.assertEqual(pending(reader), b"", "a lost line was kept and sent later")
            # Back on the field, where it was left.
            game.warped(lambda: game.key("Escape"), *cell_centre(8))
            self.click(game, 2)
            self.assertEqual(read_lines(reader, 1), "click : %d, %d, 1\n" % cell_centre(2))
        finally:
            os.close(reader)
        self.quit_from_play(game)

    def test_closed_standard_streams_take_no_output(self):
        # Left closed, descriptor 1 or 2 would go to the display connection, and the click lines
        # or an error line (a joystick that does not open) into the X protocol stream. Opened on
        # /dev/null, they go nowhere, and nothing complains.
        cases = (("standard output", (1,), None),
                 ("all three, and an error line", (0, 1, 2), "joystick-open"))
        for name, closed, fault in cases:
            with self.subTest(name):
                redirections = " ".join("%d>&-" % fd for fd in closed)
                # The dummy audio driver keeps the sound library's complaints off standard error.
                env = self.fault_env(fault) if fault else {"SDL_AUDIODRIVER": "dummy"}
                game = self.start_through_shell('exec "$0" "$@" ' + redirections, env=env)
                for fd in closed:
                    target = os.readlink("/proc/%d/fd/%d" % (game.process.pid, fd))
                    self.assertEqual(target, "/dev/null", "descriptor %d" % fd)
                self.enter_play(game)
                for cell in (0, 4, 8, 1):
                    self.click(game, cell)
                self.quit_from_play(game)
                if 2 not in closed:
                    self.assertEqual(game.stderr(), "")
                game.stop()
        with self.subTest("no null device to take a closed stream's number"):
            game = self.start_through_shell('exec "$0" "$@" >&-', window=False,
                                            env=self.fault_env("null-device"))
            self.assertEqual(game.wait_exit(), 1)
            self.assertEqual(game.stderr(),
                             "Couldn't open the null device for a closed standard stream\n")

    def test_quit_and_crash_signals_end_the_game_at_once(self):
        # SIGINT and SIGTERM are quit requests (frame_and_pictures_test); these end the process
        # by their default action, also while the game waits for input on the field.
        for sig in (signal.SIGQUIT, signal.SIGSEGV, signal.SIGBUS, signal.SIGFPE):
            with self.subTest(sig.name):
                game = self.start_through_shell('exec "$0" "$@"')
                self.enter_play(game)
                self.click(game, 4)
                game.send_signal(sig)
                self.assertEqual(game.wait_exit(), -sig)
                game.stop()

    def test_lost_display_ends_the_game(self):
        # An X server of its own, killed under the field while the game waits for input.
        with harness.XServer() as x:
            # The dummy audio driver keeps the sound library's complaints off standard error.
            game = harness.Game(x, harness.BINARY, pictures=shipped_pictures(harness.ASSETS),
                                env={"SDL_AUDIODRIVER": "dummy"})
            self.addCleanup(game.stop)
            game.start()
            game.find_window()
            game.wait_for_image(self.asset("intro.bmp"), name="intro")
            self.enter_play(game)
            self.assertTrue(game.stays_alive(0.3), game.stderr())
            x.stop()
            self.assertEqual(game.wait_exit(), 3)
            self.assertEqual(game.stderr(), "Lost the connection to the display\n")

    def test_failing_sdl_calls(self):
        def start(fault, window=True):
            return self.start_game(env=self.fault_env(fault), window=window)

        with self.subTest("video mode refused"):
            game = start("video-mode", window=False)
            self.assertEqual(game.wait_exit(), 2)
            self.assertEqual(game.stderr(),
                             "Couldn't set 480x272x32 video mode: injected failure\n")
            game.stop()

        with self.subTest("joystick 0 does not open"):
            game = start("joystick-open")
            game.wait_for_image(self.asset("intro.bmp"), name="intro")
            self.assertEqual(game.stderr(), "Couldn't open joystick 0: injected failure\n")
            game.key("Escape")
            self.assertEqual(game.wait_exit(), 0)
            game.stop()

        with self.subTest("SDL names another process on the window"):
            # The window is found by its _NET_WM_PID, so only once the game names itself there.
            game = start("window-pid")
            game.key("Escape")
            self.assertEqual(game.wait_exit(), 0)
            game.stop()

        with self.subTest("every picture refused"):
            game = start("load-bmp")
            game.wait_for_image(harness.Image(480, 272, bytes(480 * 272 * 3)), name="nothing")
            self.enter_play(game)
            # Black stand-in cells in their white frames on the gray panel.
            harness.wait_until(
                lambda: [game.capture().pixel(x, y) for x, y in ((0, 0), (45, 45), (300, 50))]
                == [WHITE, BLACK, GRAY], harness.DEFAULT_TIMEOUT, "the field of stand-ins")
            self.quit_from_play(game)
            game.stop()


if __name__ == "__main__":
    harness.run_tests()
