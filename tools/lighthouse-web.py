"""Scores the web build's site with Lighthouse (tests/e2e/web/package.json) on Debian's Chromium:
prints the performance, accessibility, best-practices and SEO scores and fails when any is
below 95.

Run as: lighthouse-web.py <site>/index.html   (tools/test-web.sh installs and builds first)
"""

import json
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402

CATEGORIES = ("performance", "accessibility", "best-practices", "seo")
LEAST = 95
LIGHTHOUSE = os.path.join(os.path.dirname(harness.DRIVER), "node_modules", ".bin", "lighthouse")
# The flags the end-to-end tests' driver gives Chromium, headless here too.
with open(os.path.join(os.path.dirname(harness.DRIVER), "chromium-flags.txt")) as flags:
    CHROMIUM_FLAGS = " ".join(["--headless=new"] + flags.read().split())


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: %s SITE/index.html" % sys.argv[0])
    site = os.path.dirname(os.path.abspath(sys.argv[1]))
    with harness.SiteServer(site) as server, tempfile.TemporaryDirectory() as work:
        report = os.path.join(work, "report.json")
        subprocess.run([LIGHTHOUSE, server.url("index.html"), "--quiet", "--output=json",
                        "--output-path=" + report, "--only-categories=" + ",".join(CATEGORIES),
                        "--chrome-flags=%s --user-data-dir=%s" % (CHROMIUM_FLAGS,
                                                                  os.path.join(work, "profile"))],
                       env=dict(os.environ, CHROME_PATH="/usr/bin/chromium"), check=True,
                       timeout=240)
        with open(report) as f:
            result = json.load(f)
        if result.get("runtimeError"):
            sys.exit("Lighthouse: %s" % result["runtimeError"])
        categories = result["categories"]
    scores = {name: round(categories[name]["score"] * 100) for name in CATEGORIES}
    print("Lighthouse: " + ", ".join("%s %d" % item for item in scores.items()))
    low = [name for name, score in scores.items() if score < LEAST]
    if low:
        sys.exit("Lighthouse: below %d in %s" % (LEAST, ", ".join(low)))


if __name__ == "__main__":
    main()
