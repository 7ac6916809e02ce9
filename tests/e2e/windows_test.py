"""End to end under Wine: the start-up, picture, quit and play tests against the Windows build,
in one run so that they share one Wine prefix (making one takes seconds).

Run as: windows_test.py <noughts.exe> <assets dir>
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from frame_and_pictures_test import FrameAndPicturesTest  # noqa: E402,F401
from play_test import PlayTest  # noqa: E402,F401

if __name__ == "__main__":
    harness.run_tests()
