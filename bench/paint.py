#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What a reader waits for, in pixels: each figure is the time from a command (or a click) to the page's text on
the screen, sampled by lectorin-paint-probe in one X session, programs alternating, medians of --runs.

Run inside one X server (figures.py runs it under xvfb-run). Prints rows of bench/README.md's table.
"""
import argparse
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

# Where the page shows in a 900x525 window at the screen's corner (no window manager), away from the sidebar;
# the bare engine's page and the terminal's text cover it too.
PAGE = "300,100,560,400"
TERMINAL = "10,10,560,380"
FIRST_ROW, SECOND_ROW = (120, 275), (120, 297)
BARE_ROW = (100, 10)


class Probe:
    def __init__(self, build):
        self.program = f"{build}/bench/lectorin-paint-probe"

    def run(self, command=None, click=None, region=PAGE, watch=0, keep=False, environment=None, timeout=20000,
            ink=400):
        """(milliseconds to text or None, white samples, pid of the command)."""
        arguments = [self.program, "--region", region, "--timeout", str(timeout), "--watch", str(watch),
                     "--min-ink", str(ink)]
        if click:
            arguments += ["--click", f"{click[0]},{click[1]}"]
        if keep:
            arguments.append("--keep")
        if command:
            arguments += ["--"] + command
        output = subprocess.run(arguments, capture_output=True, text=True, env=environment).stdout
        values = dict(line.split(" ", 1) for line in output.splitlines() if " " in line)
        painted = values.get("painted-ms", "never")
        return (None if painted == "never" else float(painted)), int(values.get("white-samples", "0")), \
            int(values.get("pid", "0"))


def private_environment(folder, dark=False):
    for sub in ("home", "run", "tmp", "home/.config/Lectorin"):
        os.makedirs(f"{folder}/{sub}", exist_ok=True)
    os.chmod(f"{folder}/run", 0o700)
    if dark:
        with open(f"{folder}/home/.config/Lectorin/Lectorin.conf", "w") as settings:
            settings.write("[General]\nappearance=dark\n")
    return dict(os.environ, HOME=f"{folder}/home", XDG_CONFIG_HOME=f"{folder}/home/.config",
                XDG_DATA_HOME=f"{folder}/home/.local/share", XDG_CACHE_HOME=f"{folder}/home/.cache",
                XDG_RUNTIME_DIR=f"{folder}/run", TMPDIR=f"{folder}/tmp")


def stop(pid):
    if pid:
        try:
            os.killpg(pid, 15)
        except ProcessLookupError:
            pass


def median(values):
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else None


def show(value):
    return "never" if value is None else f"{value:.0f} ms"


def row(what, figure, baseline, goal):
    print(f"| {what} | {figure} | {baseline} | {goal} |", flush=True)


def ratio(value, base):
    return "" if value is None or not base else f" ({value / base:.2f}x)"


def type_filter(text):
    subprocess.run(["xdotool", "key", "ctrl+alt+f"])
    time.sleep(0.3)
    subprocess.run(["xdotool", "key", "ctrl+a", "BackSpace"])
    subprocess.run(["xdotool", "type", "--delay", "30", "--", text])
    time.sleep(1.0)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build/release")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--cli", default=None)
    arguments = parser.parse_args()
    build, runs = arguments.build, arguments.runs
    lectorin, cli = f"{build}/src/app/lectorin", arguments.cli or f"{build}/src/app/lectorin-cli"
    bare = f"{build}/bench/lectorin-webengine-baseline"
    probe = Probe(build)
    folder = tempfile.mkdtemp(prefix="lectorin-paint-")
    documents = {}
    for name in ("ls", "bash"):
        documents[name] = f"{folder}/{name}.html"
        with open(documents[name], "wb") as out:
            out.write(subprocess.run([cli, "render", f"{name}(1)"], capture_output=True).stdout)

    # Starts: the program's second start (its home kept), the bare engine on the same document, man in xterm.
    starts = private_environment(f"{folder}/starts")
    samples = {}
    for run in range(runs + 1):  # the first round warms the caches
        for name in ("ls", "bash"):
            # Lectorin's window shows its "No Command Selected" placeholder until the page comes.
            for what, command, region, ink in (
                    ("lectorin", [lectorin, f"{name}(1)"], PAGE, 1500),
                    ("bare", [bare, documents[name]], PAGE, 400),
                    ("man", ["xterm", "-geometry", "100x34+0+0", "-e", "man", name], TERMINAL, 400)):
                painted, _, _ = probe.run(command, region=region, environment=starts, ink=ink, timeout=8000)
                time.sleep(0.3)
                if run:
                    samples.setdefault((what, name), []).append(painted)

    # A page asked of a running Lectorin, and a click in its sidebar, light and dark.
    handed, clicked, bare_clicked, white = {}, {}, {}, {}
    for dark in (False, True):
        environment = private_environment(f"{folder}/running-{'dark' if dark else 'light'}", dark)
        _, _, running = probe.run([lectorin, "true(1)"], keep=True, environment=environment)
        time.sleep(1.5)
        for run in range(runs + 1):
            for name in ("ls", "bash"):
                painted, whites, _ = probe.run([lectorin, f"{name}(1)"], watch=500, environment=environment)
                back, whites_back, _ = probe.run([lectorin, "true(1)"], watch=500, environment=environment)
                white[dark] = white.get(dark, 0) + whites + whites_back
                if run and not dark:
                    handed.setdefault(name, []).append(painted)
        for name in ("ls", "bash"):
            type_filter(name)
            for run in range(runs + 1):
                probe.run(click=SECOND_ROW, watch=300, environment=environment)
                painted, whites, _ = probe.run(click=FIRST_ROW, watch=500, environment=environment)
                white[dark] = white.get(dark, 0) + whites
                if run and not dark:
                    clicked.setdefault(name, []).append(painted)
        # A new tab and a reload, watched for white frames only.
        for keys in ("ctrl+t", "ctrl+r", "ctrl+w"):
            subprocess.run(["xdotool", "key", keys])
            _, whites, _ = probe.run(watch=800, environment=environment, timeout=800)
            white[dark] = white.get(dark, 0) + whites
        stop(running)
        time.sleep(1)
    for run in range(runs + 1):
        for name in ("ls", "bash"):
            _, _, pid = probe.run([bare, "--click-to-load", documents[name]], keep=True, timeout=1)
            time.sleep(1.2)
            painted, _, _ = probe.run(click=BARE_ROW)
            stop(pid)
            time.sleep(0.3)
            if run:
                bare_clicked.setdefault(name, []).append(painted)

    for name in ("ls", "bash"):
        start, floor, man = (median(samples.get((what, name), [])) for what in ("lectorin", "bare", "man"))
        row(f"start to {name}(1) painted, second start", show(start) + (f" ({start - floor:+.0f} ms)" if start and floor else ""),
            f"bare engine painting the same HTML from a file {show(floor)}; man in xterm {show(man)}",
            "<= bare + 80 ms")
        row(f"bare engine start to {name}(1) painted", show(floor), f"man in xterm {show(man)}", "(baseline)")
        given = median(handed.get(name, []))
        row(f"lectorin {name} handed to a running Lectorin, to painted", show(given) + ratio(given, man),
            f"man {name} in xterm, first screen {show(man)}", "<= 1.5x")
        click = median(clicked.get(name, []))
        floor_click = median(bare_clicked.get(name, []))
        row(f"sidebar click to {name}(1) painted", show(click) + (f" ({click - floor_click:+.0f} ms)" if click and floor_click else ""),
            f"bare engine, click to the same document painted {show(floor_click)}", "<= bare + 30 ms")
    row("white samples in the dark look (page switches by hand-over and click, new tab, reload)",
        str(white.get(True, 0)), f"light look, for reference: {white.get(False, 0)}", "0")
    return 0


if __name__ == "__main__":
    sys.exit(main())
