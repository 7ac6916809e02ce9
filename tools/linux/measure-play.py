"""Measures what tools/play.sh adds before the game's first frame when the game is already built.

Wall time: from start to the intro picture on screen in a private Xvfb, the bare binary (run in
a folder holding the pictures) against tools/play.sh, median of several runs. This machine's load
swings wall time, so also CPU time: both run with SDL told to use a video driver that does not
exist, so the game ends at once, and the CPU time of the whole process tree is compared.

Run as: tools/linux/measure-play.py <noughts binary> <assets dir> <play.sh> [runs]
(see tools/linux/measure-play.sh).
"""

import os
import resource
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
import harness  # noqa: E402


def seconds_to_first_frame(x, command, pictures, intro):
    game = harness.Game(x, command, pictures=pictures)
    start = time.monotonic()
    try:
        game.start()
        game.find_window(timeout=30)
        game.wait_for_image(intro, timeout=30, name="intro")
        elapsed = time.monotonic() - start
        game.key("Escape")
        game.wait_exit()
    finally:
        game.stop()
    return elapsed


def cpu_seconds_until_exit(command, cwd, timeout=120):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    subprocess.run([command], cwd=cwd, env=dict(os.environ, SDL_VIDEODRIVER="none"),
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=timeout)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def main():
    binary, assets, play = (os.path.abspath(a) for a in sys.argv[1:4])
    runs = int(sys.argv[4]) if len(sys.argv) > 4 else 5
    intro = harness.read_bmp(os.path.join(assets, "intro.bmp"))
    variants = [("bare binary", binary, harness.shipped_pictures(assets)), ("play.sh", play, {})]
    # One untimed run of play.sh first builds the game if needed, so the timed ones find
    # nothing to do.
    cpu_seconds_until_exit(play, assets, timeout=None)
    wall = {name: [] for name, _, _ in variants}
    cpu = {name: [] for name, _, _ in variants}
    with harness.XServer() as x:
        for _ in range(runs):
            for name, command, pictures in variants:
                wall[name].append(seconds_to_first_frame(x, command, pictures, intro))
                cpu[name].append(cpu_seconds_until_exit(command, assets))
    for label, table in (("wall time to the first frame", wall),
                         ("CPU time of the start-up", cpu)):
        bare, played = (statistics.median(table[name]) for name, _, _ in variants)
        print("%s, median of %d: bare binary %.3f s, play.sh %.3f s, play.sh adds %.3f s" %
              (label, runs, bare, played, played - bare))
    print("load average: %.1f %.1f %.1f" % os.getloadavg())


if __name__ == "__main__":
    main()
