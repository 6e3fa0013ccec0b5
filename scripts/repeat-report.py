"""Counts, over the runs of scripts/repeat-tests.sh, how often each test
failed, from GoogleTest's XML reports and CTest's JUnit ones."""

import glob
import os
import sys
import xml.etree.ElementTree as ElementTree


def outcomes(path):
    """(name, failed) for every test case of one report; a report that
    cannot be read counts as one failure of the whole file."""
    try:
        root = ElementTree.parse(path).getroot()
    except (ElementTree.ParseError, OSError):
        yield os.path.basename(path) + " (report unreadable)", True
        return
    for case in root.iter("testcase"):
        name = case.get("classname", "") + "." + case.get("name", "")
        skipped = case.find("skipped") is not None or case.get("result") == "skipped"
        if case.get("status") == "notrun" or skipped:
            continue
        failed = case.find("failure") is not None or case.find("error") is not None
        yield name, failed


def main():
    folder, runs, seconds = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    failures = {}
    seen = {}
    for run in range(1, runs + 1):
        base = os.path.join(folder, "run-%d" % run)
        for suite in ("linux", "x64", "x64-cp932"):
            reports = glob.glob(os.path.join(base, suite, "*.xml"))
            reports.append(os.path.join(base, suite + ".junit.xml"))
            for report in reports:
                for name, failed in outcomes(report):
                    key = suite + ": " + name
                    seen[key] = seen.get(key, 0) + 1
                    failures[key] = failures.get(key, 0) + (1 if failed else 0)
    failing = sorted((count, key) for key, count in failures.items() if count > 0)
    print("%d runs in %d s (%.1f min each), %d tests" % (runs, seconds, seconds / 60.0 / max(runs, 1), len(seen)))
    if not failing:
        print("no test failed in any run")
        return 0
    print("%-8s %s" % ("failed", "test"))
    for count, key in reversed(failing):
        print("%3d/%-4d %s" % (count, seen[key], key))
    return 1


if __name__ == "__main__":
    sys.exit(main())
