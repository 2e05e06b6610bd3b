#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The proportional set size (PSS) of Lectorin and every process it started, with one tab and with ten.

Starts the program under the current X display with a private home, opens the pages given on its command line
(each further page gets a tab of its own), waits for the first page's "page loaded" mark (LECTORIN_TRACE=1) and
a few seconds for the other tabs and the renderers to settle, then adds up /proc/PID/smaps_rollup over the
process tree. Prints "tabs N pss-mib M engine-processes P" per run (P: the engine's helper processes: zygotes,
GPU or utility processes and renderers).
"""
import argparse
import os
import signal
import subprocess
import sys
import tempfile
import time

PAGES = ["ls(1)", "cp(1)", "mv(1)", "cat(1)", "grep(1)", "find(1)", "tar(1)", "man(1)", "bash(1)", "ssh(1)"]


def children(pid):
    found = []
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as stat:
                    fields = stat.read().rsplit(")", 1)[1].split()
                if int(fields[1]) == pid:
                    found.append(int(entry))
            except OSError:
                pass
    return found


def tree(pid):
    pids, pending = [], [pid]
    while pending:
        current = pending.pop()
        pids.append(current)
        pending.extend(children(current))
    return pids


def pss_kib(pid):
    try:
        with open(f"/proc/{pid}/smaps_rollup") as rollup:
            for line in rollup:
                if line.startswith("Pss:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def is_engine_helper(pid):
    try:
        return os.path.basename(os.readlink(f"/proc/{pid}/exe")) == "QtWebEngineProcess"
    except OSError:
        return False


def measure(program, pages, settle, extra_flags):
    with tempfile.TemporaryDirectory() as home:
        runtime = os.path.join(home, "runtime")
        os.mkdir(runtime, 0o700)
        environment = dict(os.environ, LECTORIN_TRACE="1", HOME=home, XDG_CONFIG_HOME=home + "/config",
                           XDG_DATA_HOME=home + "/data", XDG_CACHE_HOME=home + "/cache",
                           XDG_RUNTIME_DIR=runtime, TMPDIR=home)
        if extra_flags:
            environment["QTWEBENGINE_CHROMIUM_FLAGS"] = (environment.get("QTWEBENGINE_CHROMIUM_FLAGS", "") + " "
                                                         + extra_flags).strip()
        process = subprocess.Popen([program] + pages, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                   env=environment, start_new_session=True)
        # The window's first page marks its load; the further tabs load beside it and get `settle` seconds.
        loaded = 0
        for raw in process.stderr:
            if b" page loaded " in raw:
                loaded = 1
                break
        time.sleep(settle)
        pids = tree(process.pid)
        total = sum(pss_kib(pid) for pid in pids)
        helpers = sum(1 for pid in pids if is_engine_helper(pid))
        os.killpg(process.pid, signal.SIGTERM)
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
        return total / 1024.0, helpers, loaded


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--settle", type=float, default=6.0)
    parser.add_argument("--flags", default="", help="more Chromium flags, to compare process models")
    arguments = parser.parse_args()
    for count in (1, 10):
        pss, helpers, loaded = measure(arguments.program, PAGES[:count], arguments.settle, arguments.flags)
        print(f"tabs {count} pss-mib {pss:.0f} engine-processes {helpers}", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
