"""Runs the web build's benchmark mode (index.html?bench) in Debian's Chromium and Firefox ESR and
prints, per browser, the intro and play passes as ratios of one full-canvas putImageData, and
the most frames the loop took to drain 3 and 35 queued events.

Run as: bench-web.py <site>/index.html   (tools/bench.sh installs and builds first)
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402


def measure(server, kind, intro, menu):
    with harness.Browser(kind) as browser:
        game = harness.WebGame(server, browser)
        browser.call("open", url=server.url("index.html") + "?bench",
                     width=harness.WEB_VIEWPORT[0], height=harness.WEB_VIEWPORT[1])
        game.find_window()
        harness.wait_until(lambda: game.evaluate("typeof noughtsBenchmark == 'object'"),
                           harness.DEFAULT_TIMEOUT, "the benchmark script")
        game.wait_for_image(intro, name="intro")
        results = {"intro": game.evaluate("noughtsBenchmark.passes()")}
        game.key("space")
        game.wait_for_image(menu, name="menu")
        game.key("space")
        harness.wait_until(lambda: game.capture().first_difference(menu) is not None,
                           harness.DEFAULT_TIMEOUT, "the playing field")
        results["play"] = game.evaluate("noughtsBenchmark.passes()")
        normal = game.evaluate("noughtsBenchmark.input(3, 20)")
        burst = game.evaluate("noughtsBenchmark.input(35, 10)")
    print("%s:" % kind)
    for screen in ("intro", "play"):
        timing = results[screen]
        print("  %-5s pass %.3f ms / putImageData floor %.3f ms = %.2f  (target <= 2)" % (
            screen, timing["pass"], timing["floor"], timing["pass"] / timing["floor"]))
    print("  3 queued events drained in at most %d frame(s)  (target 1)" % normal)
    print("  35 queued events drained in at most %d frame(s)  (target <= 3)" % burst)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: %s SITE/index.html" % sys.argv[0])
    site = os.path.dirname(os.path.abspath(sys.argv[1]))
    assets = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "assets")
    intro = harness.read_bmp(os.path.join(assets, "intro.bmp"))
    menu = harness.read_bmp(os.path.join(assets, "menu.bmp"))
    with harness.SiteServer(site) as server:
        for kind in ("chromium", "firefox"):
            measure(server, kind, intro, menu)


if __name__ == "__main__":
    main()
