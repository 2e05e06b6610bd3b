#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Counts the links a reader can click over a fixed sample of this machine's manual pages.

The sample is every STEP-th page file of /usr/share/man/man1 … man8 in sorted path order (no translations),
so it is the same on every run of the same machine. Each page goes through `lectorin-cli links`, which loads
it in the real engine as a window does. Prints the totals per kind of link, how many pages have at least one
inferred link, and with --pages one line per page.
"""
import argparse
import collections
import glob
import os
import re
import subprocess
import sys

PAGE_FILE = re.compile(r"^(?P<name>.+)\.(?P<section>[1-8][A-Za-z0-9]*)(?:\.gz)?$")


def sample(root, step, count):
    files = sorted(f for f in glob.glob(os.path.join(root, "man[1-8]", "*")) if os.path.isfile(f))
    refs = []
    for path in files[::step]:
        match = PAGE_FILE.match(os.path.basename(path))
        if match:
            refs.append(f"{match['name']}({match['section']})")
    return refs[:count]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--cli", default="build/release/src/app/lectorin-cli")
    parser.add_argument("--root", default="/usr/share/man")
    parser.add_argument("--step", type=int, default=34)
    parser.add_argument("--count", type=int, default=600)
    parser.add_argument("--batch", type=int, default=50, help="pages per lectorin-cli process")
    parser.add_argument("--pages", action="store_true", help="print the counts of every page")
    arguments = parser.parse_args()

    refs = sample(arguments.root, arguments.step, arguments.count)
    per_page = collections.OrderedDict()
    failed = 0
    for start in range(0, len(refs), arguments.batch):
        batch = refs[start:start + arguments.batch]
        # One page is printed without the page column; two keep every line attributable.
        if len(batch) == 1:
            batch = batch * 2
        result = subprocess.run([arguments.cli, "links", *batch, "--manpath", arguments.root],
                                capture_output=True, text=True)
        failed += sum(1 for line in result.stderr.splitlines()
                      if line.startswith(("No manual entry", "Malformed", "lectorin-cli:")))
        for line in result.stdout.splitlines():
            page, kind = line.split("\t", 2)[:2]
            per_page.setdefault(page, collections.Counter())[kind] += 1
    totals = collections.Counter()
    for counts in per_page.values():
        totals.update(counts)
    with_inferred = sum(1 for counts in per_page.values() if counts["inferred"])
    if arguments.pages:
        for page, counts in per_page.items():
            print(f"{page}\tinferred {counts['inferred']}\tmandoc {counts['mandoc']}\tweb {counts['web']}")
    print(f"pages {len(refs)} (every {arguments.step}th of {arguments.root}/man[1-8]), not shown {failed}")
    print(f"pages with inferred links {with_inferred}")
    for kind in ("inferred", "mandoc", "web"):
        print(f"{kind} {totals[kind]}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
