#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Times trace marks (LECTORIN_TRACE=1) of GUI programs over several alternating runs in one X session.

Each run starts a program, stamps every "<ms> <event>" line of its standard error as it arrives (the clock of
this script, from just before the start), and stops the program once the last awaited event came. Prints one
line per program and event: the median and the range of the arrival times, and the median of the program's
own figure.
"""
import argparse
import json
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time


def run_once(command, events, timeout, environment):
    started = time.perf_counter()
    process = subprocess.Popen(command, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL, env=environment,
                               start_new_session=True)
    arrived, own = {}, {}
    deadline = started + timeout
    try:
        for raw in process.stderr:
            now = time.perf_counter()
            parts = raw.decode("utf-8", "replace").rstrip("\n").split(" ", 1)
            if len(parts) == 2 and parts[0].isdigit():
                for event in events:
                    if parts[1].startswith(event) and event not in arrived:
                        arrived[event] = (now - started) * 1000.0
                        own[event] = float(parts[0])
            if all(event in arrived for event in events) or now > deadline:
                break
    finally:
        os.killpg(process.pid, signal.SIGTERM)
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
    return arrived, own


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--timeout", type=float, default=30)
    parser.add_argument("--json", help="also write the figures here")
    parser.add_argument("--keep-home", action="store_true",
                        help="one home per program for every run, so runs after the first are second starts")
    parser.add_argument("--shell", help="the login shell the programs are given ($SHELL)")
    parser.add_argument("programs", nargs="+", help="NAME=COMMAND=EVENT,EVENT…")
    arguments = parser.parse_args()

    programs = []
    for spec in arguments.programs:
        name, command, events = spec.split("=", 2)
        programs.append((name, command.split(), events.split(",")))
    samples = {name: {event: ([], []) for event in events} for name, _, events in programs}
    kept = {name: tempfile.TemporaryDirectory() for name, _, _ in programs}
    for run in range(arguments.runs + 1):  # the first round warms the caches and is not counted
        for name, command, events in programs:
            with tempfile.TemporaryDirectory() as fresh:
                home = kept[name].name if arguments.keep_home else fresh
                environment = dict(os.environ, LECTORIN_TRACE="1", XDG_CONFIG_HOME=home + "/config",
                                   XDG_DATA_HOME=home + "/data", XDG_CACHE_HOME=home + "/cache")
                if arguments.shell:
                    environment["SHELL"] = arguments.shell
                arrived, own = run_once(command, events, arguments.timeout, environment)
            if run == 0:
                continue
            for event in events:
                if event in arrived:
                    samples[name][event][0].append(arrived[event])
                    samples[name][event][1].append(own[event])

    figures = {}
    for name, _, events in programs:
        for event in events:
            external, own = samples[name][event]
            if not external:
                print(f"{name:12} {event:18} never arrived")
                continue
            figures[f"{name}/{event}"] = statistics.median(external)
            print(f"{name:12} {event:18} median {statistics.median(external):7.0f} ms  "
                  f"range {min(external):5.0f}-{max(external):5.0f}  own {statistics.median(own):5.0f}  "
                  f"n={len(external)}")
    if arguments.json:
        with open(arguments.json, "w") as out:
            json.dump(figures, out, indent=1)
    return 0


if __name__ == "__main__":
    sys.exit(main())
