"""Measures what the game costs while nobody plays, and how soon it answers input.

For each binary (a Linux build, or a Windows build run under Wine) and each screen (intro, menu,
the field, the help card over it, a won field): the game in a private Xvfb is brought to the
screen, then left alone, and the processor time of its processes (user and system, from /proc)
over that span is printed as a share of one core. Then the time from a key press to the changed
picture, intro to menu and back, each timed from just before xdotool starts: wall time, with
xdotool's own start in it, so its median over many presses is compared between builds, not read
on its own.

Run as: tools/linux/measure-idle.py [--seconds N] [--presses N] LABEL=BINARY... ASSETS_DIR
(see tools/linux/measure-idle.sh).
"""

import argparse
import os
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))
import harness  # noqa: E402

HZ = os.sysconf("SC_CLK_TCK")
RING_WIN = [0, 3, 1, 4, 2]


def process_stats():
    """(pid, fields after the name) of every process there is."""
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/stat" % pid) as f:
                stat = f.read()
        except OSError:
            continue
        yield pid, stat[stat.rindex(")") + 2:].split()


def session_ticks(session):
    """User and system clock ticks of every process in the game's session, with those of its
    children that have ended and been waited for: a helper Wine starts and ends meanwhile would
    otherwise take its ticks away."""
    return sum(sum(map(int, fields[11:15])) for _, fields in process_stats()
               if int(fields[3]) == session)


def wine_ticks(session):
    """Clock ticks of the processes of the run's own Wine prefix outside the game's session: its
    server and device helpers, which serve this game alone, so what they spend meanwhile is the
    game's doing."""
    if harness.WINE.prefix is None:
        return 0
    mark = ("WINEPREFIX=%s" % harness.WINE.prefix).encode()
    total = 0
    for pid, fields in process_stats():
        try:
            with open("/proc/%s/environ" % pid, "rb") as f:
                ours = int(fields[3]) != session and mark in f.read().split(b"\0")
        except OSError:
            continue
        if ours:
            total += int(fields[11]) + int(fields[12])
    return total


def open_screen(game, pictures, screen):
    game.wait_for_image(pictures["intro.bmp"], timeout=harness.START_TIMEOUT, name="intro")
    if screen == "intro":
        return
    game.key("space")
    game.wait_for_image(pictures["menu.bmp"], name="menu")
    if screen == "menu":
        return
    game.key("space")
    if screen == "help card":
        game.key("i")
        game.wait_for_image(pictures["item.bmp"], name="help card")
    elif screen == "won field":
        for cell in RING_WIN:
            before = game.stdout().count("click :")
            game.move_to(*harness.cell_centre(cell))
            game.click(1)
            harness.wait_until(lambda: game.stdout().count("click :") > before,
                               harness.DEFAULT_TIMEOUT, "a click")


def idle_share(x, binary, assets, screen, seconds):
    pictures = {name: harness.read_bmp(os.path.join(assets, name))
                for name in harness.PICTURE_NAMES}
    with harness.Game(x, binary, pictures=harness.shipped_pictures(assets),
                      env={"SDL_AUDIODRIVER": "dummy"}) as game:
        game.find_window()
        open_screen(game, pictures, screen)
        # Whatever the last input set going has settled.
        time.sleep(1.0)
        session = game.process.pid
        start, wine_start = session_ticks(session), wine_ticks(session)
        started = time.monotonic()
        time.sleep(seconds)
        ticks, elapsed = session_ticks(session) - start, time.monotonic() - started
        return ticks / HZ / elapsed, (wine_ticks(session) - wine_start) / HZ / elapsed


def answer_seconds(x, binary, assets, presses):
    """Median seconds from a key sent to the picture it brings, over presses presses."""
    intro = harness.read_bmp(os.path.join(assets, "intro.bmp"))
    menu = harness.read_bmp(os.path.join(assets, "menu.bmp"))
    times = []
    with harness.Game(x, binary, pictures=harness.shipped_pictures(assets),
                      env={"SDL_AUDIODRIVER": "dummy"}) as game:
        game.find_window()
        game.wait_for_image(intro, timeout=harness.START_TIMEOUT, name="intro")
        for i in range(presses):
            key, expected = ("space", menu) if i % 2 == 0 else ("Escape", intro)
            # Idle first, so the press finds the game waiting as a player's would.
            time.sleep(0.1)
            sent = time.monotonic()
            game.key(key)
            while game.capture().first_difference(expected) is not None:
                if time.monotonic() - sent > harness.DEFAULT_TIMEOUT:
                    raise harness.HarnessError("no answer to %s" % key)
            times.append(time.monotonic() - sent)
    return statistics.median(times)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--seconds", type=float, default=20.0)
    parser.add_argument("--presses", type=int, default=40)
    parser.add_argument("--screens", default="intro,menu,field,help card,won field")
    parser.add_argument("binaries", nargs="+", metavar="LABEL=BINARY")
    parser.add_argument("assets")
    options = parser.parse_args()
    harness.unwind_on_termination()
    try:
        with harness.XServer() as x:
            for labelled in options.binaries:
                label, binary = labelled.split("=", 1)
                for screen in filter(None, options.screens.split(",")):
                    share, wine = idle_share(x, binary, options.assets, screen,
                                             options.seconds)
                    wine = (", Wine's server and helpers %.4f more" % wine
                            if harness.is_windows_program(binary) else "")
                    print("%s, %s, %.0f s idle: %.4f of a core%s" %
                          (label, screen, options.seconds, share, wine), flush=True)
                answer = answer_seconds(x, binary, options.assets, options.presses)
                print("%s, key to picture, median of %d: %.1f ms" %
                      (label, options.presses, answer * 1000), flush=True)
                harness.WINE.stop_session()
    finally:
        harness.WINE.remove()
    print("load average: %.1f %.1f %.1f" % os.getloadavg())


if __name__ == "__main__":
    main()
