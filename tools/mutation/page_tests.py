"""Runs the tests of a page test file (tests/e2e/web_test.py) in a given order and stops at the
first failure, for the mutation run: the tests that caught most changes go first, and a change
costs one browser and the tests up to the first that catches it.

The file runs as it does on its own (its harness reads the site and the pictures from the
command line and calls unittest.main); only unittest.main is replaced, by one that runs the
chosen tests and writes what happened to RESULT as JSON: every test of the file, the first that
failed (or null), the one running when the run was stopped (or null) and the seconds each that
ran took.

Run as: page_tests.py TEST_FILE SITE/index.html ASSETS ORDER RESULT
        (ORDER: a JSON list of test ids; an empty one runs every test in the file's order)
"""

import json
import os
import runpy
import sys
import time
import unittest


def flatten(suite):
    for test in suite:
        if isinstance(test, unittest.TestSuite):
            yield from flatten(test)
        else:
            yield test


def main():
    if len(sys.argv) != 6:
        sys.exit("usage: page_tests.py TEST_FILE SITE/index.html ASSETS ORDER RESULT")
    test_file, site, assets, order_file, result_file = sys.argv[1:]
    with open(order_file, encoding="utf-8") as order:
        wanted = json.load(order)
    record = {"tests": [], "failed": None, "running": None, "seconds": {}}

    class Result(unittest.TextTestResult):
        def startTest(self, test):
            self.started = time.monotonic()
            record["running"] = test.id()
            super().startTest(test)

        def stopTest(self, test):
            super().stopTest(test)
            record["seconds"][test.id()] = time.monotonic() - self.started
            record["running"] = None

        def failed(self, test):
            if record["failed"] is None:
                record["failed"] = test.id()

        def addFailure(self, test, err):
            self.failed(test)
            super().addFailure(test, err)

        def addSubTest(self, test, subtest, err):
            if err is not None:
                self.failed(test)
            super().addSubTest(test, subtest, err)

        def addError(self, test, err):
            # Also a class's setUp: its id names the class.
            self.failed(test)
            super().addError(test, err)

    def run_chosen(*_args, **_kwargs):
        found = {test.id(): test for test in
                 flatten(unittest.defaultTestLoader.loadTestsFromModule(sys.modules["__main__"]))}
        record["tests"] = list(found)
        chosen = [found[name] for name in wanted if name in found] if wanted else found.values()
        runner = unittest.TextTestRunner(verbosity=2, failfast=True, resultclass=Result)
        outcome = runner.run(unittest.TestSuite(chosen))
        sys.exit(0 if outcome.wasSuccessful() else 1)

    unittest.main = run_chosen
    sys.argv = [test_file, site, assets]
    sys.path.insert(0, os.path.dirname(os.path.abspath(test_file)))
    try:
        runpy.run_path(test_file, run_name="__main__")
    finally:
        with open(result_file, "w", encoding="utf-8") as result:
            json.dump(record, result)


if __name__ == "__main__":
    main()
