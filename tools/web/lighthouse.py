"""Scores the web build's site with Lighthouse (tests/e2e/web/package.json) on Debian's Chromium,
with Lighthouse's default settings, a phone's: prints the accessibility, best-practices and SEO
scores and fails when any is below 95. With --performance (tools/bench.sh) it prints the
performance score of three runs and their median instead, and what a first visit downloads, and
fails on none: the score depends on how busy the machine is.

Run as: tools/web/lighthouse.py [--performance] <site>/index.html
(tools/web/test.sh installs and builds first)
"""

import json
import os
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
import harness  # noqa: E402

GATED = ("accessibility", "best-practices", "seo")
LEAST = 95
PERFORMANCE_RUNS = 3
LIGHTHOUSE = os.path.join(os.path.dirname(harness.DRIVER), "node_modules", ".bin", "lighthouse")
# The flags the end-to-end tests' driver gives Chromium, headless here too.
with open(os.path.join(os.path.dirname(harness.DRIVER), "chromium-flags.txt")) as flags:
    CHROMIUM_FLAGS = " ".join(["--headless=new"] + flags.read().split())


def scores(server, categories):
    """One Lighthouse run over the served site: each category's score out of 100."""
    with tempfile.TemporaryDirectory() as work:
        report = os.path.join(work, "report.json")
        subprocess.run([LIGHTHOUSE, server.url("index.html"), "--quiet", "--output=json",
                        "--output-path=" + report, "--only-categories=" + ",".join(categories),
                        "--chrome-flags=%s --user-data-dir=%s" % (CHROMIUM_FLAGS,
                                                                  os.path.join(work, "profile"))],
                       env=dict(os.environ, CHROME_PATH="/usr/bin/chromium"), check=True,
                       timeout=900)  # only against a hung Chromium, never a measure of it
        with open(report) as f:
            result = json.load(f)
    if result.get("runtimeError"):
        sys.exit("tools/web/lighthouse.py: Lighthouse failed: %s" % result["runtimeError"])
    found = {name: round(result["categories"][name]["score"] * 100) for name in categories}
    if "performance" in categories:
        found["bytes"] = result["audits"]["total-byte-weight"]["numericValue"]
    return found


def main():
    arguments = sys.argv[1:]
    performance = arguments[:1] == ["--performance"]
    if performance:
        arguments = arguments[1:]
    if len(arguments) != 1:
        sys.exit("usage: %s [--performance] SITE/index.html" % sys.argv[0])
    site = os.path.dirname(os.path.abspath(arguments[0]))
    with harness.SiteServer(site) as server:
        if performance:
            found = [scores(server, ["performance"]) for _ in range(PERFORMANCE_RUNS)]
            runs = [each["performance"] for each in found]
            print("Lighthouse performance (a phone's settings): %s, median %d, load average %.1f"
                  % (", ".join(map(str, runs)), statistics.median(runs), os.getloadavg()[0]))
            # What a first visit downloads from this plain server, which compresses nothing.
            print("Lighthouse: a first visit downloads %.0f kB" % (found[0]["bytes"] / 1000))
            return
        result = scores(server, GATED)
    print("Lighthouse: " + ", ".join("%s %d" % item for item in result.items()))
    low = [name for name, score in result.items() if score < LEAST]
    if low:
        sys.exit("tools/web/lighthouse.py: below %d in %s" % (LEAST, ", ".join(low)))


if __name__ == "__main__":
    main()
