#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Compares the option index with a count made from the page sources, over a fixed sample of this machine's pages.

The sample is every STEP-th page file of /usr/share/man/man1 … man8 in sorted path order (no translations).
For each page, `lectorin-cli options` gives the index (rows whose names start with a dash or a plus: options,
not subcommands). The independent count reads the roff source itself, never mandoc's output: an mdoc
`.It Fl` line, a man(7) `.TP` whose tag line, an `.IP` whose tag, or a `.PP` or `.sp` paragraph followed by `.RS`
whose first line starts with an option after its font escapes are removed, is one definition. `.so` stubs
and pages that do not render are left out. Prints the totals, the pages where the two agree, and with --pages
one line per page that differs.
"""
import argparse
import glob
import gzip
import os
import re
import subprocess

PAGE_FILE = re.compile(r"^(?P<name>.+)\.(?P<section>[1-8][A-Za-z0-9]*)(?:\.gz)?$")
ESCAPES = re.compile(r"\\f(?:\[[^]]*\]|\(..|.)|\\&|\\%|\\\||\\\^|\\c")
OPTION = re.compile(r"^(?:--?|\+)[A-Za-z0-9?@#]")


def read_source(path):
    opener = gzip.open if path.endswith(".gz") else open
    with opener(path, "rb") as file:
        return file.read().decode("utf-8", "replace").splitlines()


def plain(line):
    text = ESCAPES.sub("", line).replace("\\-", "-").replace("\\(hy", "-").replace("\\(mi", "-")
    text = re.sub(r"^\.(?:B|I|BR|BI|RB|RI|IR|IB)\s+", "", text)
    return text.strip().strip('"').strip()


def source_count(lines):
    count = 0
    for at, line in enumerate(lines):
        following = lines[at + 1] if at + 1 < len(lines) else ""
        if line.startswith(".It Fl"):
            count += 1
        elif line.startswith(".TP"):
            count += bool(OPTION.match(plain(following)))
        elif line.startswith(".IP "):
            count += bool(OPTION.match(plain(line[4:])))
        elif line.startswith((".PP", ".sp")) and at + 2 < len(lines) and lines[at + 2].startswith(".RS"):
            count += bool(OPTION.match(plain(following)))
    return count


def sample(root, step, count):
    files = sorted(f for f in glob.glob(os.path.join(root, "man[1-8]", "*")) if os.path.isfile(f))
    pages = []
    for path in files[::step]:
        match = PAGE_FILE.match(os.path.basename(path))
        if not match:
            continue
        lines = read_source(path)
        if any(line.startswith(".so ") for line in lines[:3]):
            continue
        pages.append((f"{match['name']}({match['section']})", path, lines))
    return pages[:count]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--cli", default="build/release/src/app/lectorin-cli")
    parser.add_argument("--root", default="/usr/share/man")
    parser.add_argument("--step", type=int, default=20)
    parser.add_argument("--count", type=int, default=320)
    parser.add_argument("--pages", action="store_true", help="print every page where the counts differ")
    arguments = parser.parse_args()

    total_index = total_source = agreeing = with_options = 0
    pages = sample(arguments.root, arguments.step, arguments.count)
    for reference, path, lines in pages:
        result = subprocess.run([arguments.cli, "options", path if os.path.sep in reference else reference,
                                 "--manpath", arguments.root], capture_output=True, text=True)
        rows = [row.split("\t") for row in result.stdout.splitlines()]
        indexed = sum(1 for row in rows if len(row) == 4 and OPTION.match(row[1]))
        counted = source_count(lines)
        total_index += indexed
        total_source += counted
        agreeing += indexed == counted
        with_options += counted > 0
        if arguments.pages and indexed != counted:
            print(f"{reference}\tindex {indexed}\tsource {counted}")
    print(f"pages {len(pages)}\npages-with-options {with_options}\nindex {total_index}\nsource {total_source}"
          f"\npages-agreeing {agreeing}")


if __name__ == "__main__":
    main()
