"""Runs the web build's benchmark mode (index.html?bench) in Debian's Chromium and Firefox ESR and
prints, per browser, the intro and play passes as ratios of one full-canvas putImageData, and
the most frames the loop took to drain 3 and 35 queued events; then what Chromium spends on an
idle title and playing field beside a blank page.

The costs are CPU time of the page's main thread, read from the kernel around each run: this
machine is shared, and wall time swings several-fold. The page's own work, the game's passes
and the floor alike, runs on that thread; the browser's other threads keep the display's pace
whatever the page does. Each round times an empty run, a run of putImageData calls and a run of
passes; the ratio is taken per round, and the medians are printed.

Run as: tools/web/bench.py <site>/index.html   (tools/bench.sh installs and builds first)
"""

import glob
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
import harness  # noqa: E402

ROUNDS = 7
RUN = 4000
# Tries of a round before a floor of no CPU time ends the run.
FLOOR_TRIES = 3
# Seconds each idle page is left alone.
IDLE = 30


def descendants(pid):
    """Every process under pid, from the kernel's lists of each thread's children."""
    found, pending = [], [pid]
    while pending:
        for path in glob.glob("/proc/%d/task/[0-9]*/children" % pending.pop()):
            try:
                with open(path) as children:
                    new = [int(child) for child in children.read().split()]
            except OSError:
                continue  # a thread that has ended
            found += new
            pending += new
    return found


def cpu_seconds(thread):
    """CPU time so far of the thread whose schedstat file this is, from the scheduler's
    nanosecond count; None once the thread has ended."""
    try:
        with open(thread) as schedstat:
            return int(schedstat.read().split()[0]) / 1e9
    except OSError:
        return None


def threads_of(pids):
    """The threads of pids, each named by its schedstat file."""
    return [path for pid in pids for path in glob.glob("/proc/%d/task/[0-9]*/schedstat" % pid)]


def page_thread(game, browser_pids, script):
    """Runs script, which keeps the page busy, and returns the thread that spent the most."""
    before = {thread: cpu_seconds(thread) for thread in threads_of(browser_pids)}
    start = time.monotonic()
    game.evaluate(script)
    wall = time.monotonic() - start
    spent = {}
    for thread, then in before.items():
        now = cpu_seconds(thread)
        if then is not None and now is not None:
            spent[thread] = now - then
    thread = max(spent, key=spent.get)
    # A synchronous run keeps its thread busy for the call, less what other work takes.
    if spent[thread] < wall / 10:
        raise harness.HarnessError("no thread of the browser ran the page: %.3f s of CPU in a "
                                   "%.3f s run" % (spent[thread], wall))
    return thread


def cpu_of(game, thread, script):
    before = cpu_seconds(thread)
    game.evaluate(script)
    return cpu_seconds(thread) - before


def ratio(game, thread):
    """Medians over the rounds of the microseconds of one pass, of one putImageData, and of
    their ratio."""
    rounds = []
    for _ in range(ROUNDS):
        # A round whose floor measured no CPU (the thread's count did not move, or the empty
        # run cost as much) has nothing to divide by: it is measured again, a few times at most.
        for _ in range(FLOOR_TRIES):
            empty = cpu_of(game, thread, "noughtsBenchmark.floor(0)")
            floor = cpu_of(game, thread, "noughtsBenchmark.floor(%d)" % RUN) - empty
            passes = cpu_of(game, thread, "noughtsBenchmark.passes(%d)" % RUN) - empty
            if floor > 0:
                break
        else:
            sys.exit("tools/web/bench.py: the putImageData floor measured no CPU time in %d "
                     "tries of a round (%.6f s beyond the empty run), so there is no ratio to "
                     "give: the thread timed did not run the page's work" % (FLOOR_TRIES, floor))
        rounds.append((passes / RUN * 1e6, floor / RUN * 1e6, passes / floor))
    return [statistics.median(values) for values in zip(*rounds)]


def measure(server, kind, intro, menu):
    with harness.Browser(kind) as browser:
        game = harness.WebGame(server, browser)
        browser.call("open", url=server.url("index.html") + "?bench",
                     width=harness.WEB_VIEWPORT[0], height=harness.WEB_VIEWPORT[1])
        game.find_window()
        harness.wait_until(lambda: game.evaluate("typeof noughtsBenchmark == 'object'"),
                           harness.DEFAULT_TIMEOUT, "the benchmark script")
        game.wait_for_image(intro, name="intro")
        browser_pids = descendants(browser.process.pid)
        # Also warms the engine's code up.
        page_thread(game, browser_pids, "noughtsBenchmark.floor(%d)" % RUN)
        thread = page_thread(game, browser_pids, "noughtsBenchmark.passes(%d)" % RUN)
        results = {"intro": ratio(game, thread)}
        game.key("space")
        game.wait_for_image(menu, name="menu")
        game.key("space")
        harness.wait_until(lambda: game.capture().first_difference(menu) is not None,
                           harness.DEFAULT_TIMEOUT, "the playing field")
        game.evaluate("noughtsBenchmark.passes(%d)" % RUN)
        results["play"] = ratio(game, thread)
        normal = game.evaluate("noughtsBenchmark.input(3, 20)")
        burst = game.evaluate("noughtsBenchmark.input(35, 10)")
    print("%s (CPU time of the page's thread, medians of %d rounds of %d):" % (kind, ROUNDS, RUN))
    for screen in ("intro", "play"):
        pass_us, floor_us, pass_ratio = results[screen]
        print("  %-5s pass %.1f us / putImageData floor %.1f us = %.2f  (target <= 2)" % (
            screen, pass_us, floor_us, pass_ratio))
    print("  3 queued events drained in at most %d frame(s)  (target 1)" % normal)
    print("  35 queued events drained in at most %d frame(s)  (target <= 3)" % burst)


def browser_cpu(browser_pids):
    """CPU seconds so far of every thread of the browser's processes, by thread."""
    return {thread: cpu_seconds(thread) for thread in threads_of(browser_pids)}


def idle_share(browser):
    """The share of one core the whole browser spends over IDLE seconds with no input."""
    pids = descendants(browser.process.pid)
    before = browser_cpu(pids)
    time.sleep(IDLE)
    after = browser_cpu(pids)
    spent = sum(after[thread] - then for thread, then in before.items()
                if then is not None and after.get(thread) is not None)
    return spent / IDLE * 100


def measure_idle(server, menu):
    """An idle page should cost no more than a blank one: Chromium's processes, side by side on
    a blank page, the title and the playing field, each left alone for IDLE seconds."""
    with harness.Browser("chromium") as browser:
        game = harness.WebGame(server, browser)
        size = dict(width=harness.WEB_VIEWPORT[0], height=harness.WEB_VIEWPORT[1])
        browser.call("open", url="about:blank", **size)
        blank = idle_share(browser)
        browser.call("open", url=server.url("index.html"), **size)
        game.find_window()
        title = idle_share(browser)
        game.key("space")
        game.wait_for_image(menu, name="menu")
        game.key("space")
        harness.wait_until(lambda: game.capture().first_difference(menu) is not None,
                           harness.DEFAULT_TIMEOUT, "the playing field")
        field = idle_share(browser)
    print("chromium idle, CPU of all its processes over %d s as %% of one core:" % IDLE)
    print("  blank page %.1f %%; title %.1f %% (%+.1f); field %.1f %% (%+.1f)  "
          "(target: at most +3 over the blank page)" % (blank, title, title - blank, field,
                                                        field - blank))


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: %s SITE/index.html" % sys.argv[0])
    site = os.path.dirname(os.path.abspath(sys.argv[1]))
    assets = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "assets")
    intro = harness.read_bmp(os.path.join(assets, "intro.bmp"))
    menu = harness.read_bmp(os.path.join(assets, "menu.bmp"))
    with harness.SiteServer(site) as server:
        for kind in ("chromium", "firefox"):
            measure(server, kind, intro, menu)
        measure_idle(server, menu)


if __name__ == "__main__":
    main()
