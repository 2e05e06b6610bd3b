#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Every figure of bench/README.md from one Release build, each with its baseline measured in the same run.

Run through bench/run, which builds first. Needs xvfb-run for the window figures.
"""
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

BUILD = os.environ.get("BUILD", "build/release")
CLI = f"{BUILD}/src/app/lectorin-cli"
RUNS = int(os.environ.get("RUNS", "11"))
XVFB = ["xvfb-run", "-a", "-s", "-screen 0 1400x900x24"]


def wall(command, **kwargs):
    started = time.perf_counter()
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, **kwargs)
    return (time.perf_counter() - started) * 1000.0, result


def manual_path():
    shell = os.environ.get("SHELL", "/bin/sh")
    result = subprocess.run([shell, "-l", "-c", "manpath"], capture_output=True, text=True)
    lines = [line for line in result.stdout.splitlines() if "/" in line]
    return lines[-1].strip() if lines else "/usr/share/man"


def page_file(roots, name, section):
    for root in roots.split(":"):
        for suffix in ("", ".gz"):
            candidate = f"{root}/man{section[0]}/{name}.{section}{suffix}"
            if os.path.exists(candidate):
                return candidate
    return None


def row(what, figure, baseline, goal):
    print(f"| {what} | {figure} | {baseline} | {goal} |", flush=True)


def render_figures(roots):
    for name, section in (("ls", "1"), ("bash", "1")):
        path = page_file(roots, name, section)
        if not path:
            continue
        arguments = ["-T", "html", "-O", "fragment,man=x-lectorin-man://%S/%N", path]
        mandoc, render, process = [], [], []
        for run in range(RUNS + 1):  # alternating; the first pair warms the caches
            mandoc_ms, _ = wall(["mandoc"] + arguments, cwd=os.path.dirname(os.path.dirname(path)))
            cli_ms, result = wall([CLI, "render", f"{name}({section})", "--timing", "--manpath", roots])
            found = re.search(rb"render-ms ([0-9.]+)", result.stderr)
            if run and found:
                mandoc.append(mandoc_ms)
                render.append(float(found.group(1)))
                process.append(cli_ms)
        m, r, p = (statistics.median(v) for v in (mandoc, render, process))
        row(f"render-ms {name}({section})", f"{r:.1f} ms ({r / m:.2f}x)", f"mandoc -T html, whole process {m:.1f} ms",
            "<= 1.2x")
        row(f"lectorin-cli render {name}({section}), whole process", f"{p:.1f} ms ({p / m:.2f}x)",
            f"mandoc {m:.1f} ms", "(not a goal)")


def discovery_and_scan(roots):
    shell = os.environ.get("SHELL", "/bin/sh")
    discovery, scan = [], []
    for run in range(RUNS + 1):
        ms, _ = wall([shell, "-l", "-c", "manpath"])
        _, result = wall([CLI, "scan", "--manpath", roots, "--path", "/nonexistent"])
        found = re.search(rb"scan-ms ([0-9.]+)", result.stdout)
        if run and found:
            discovery.append(ms)
            scan.append(float(found.group(1)))
    return statistics.median(discovery), statistics.median(scan)


def startup_figures(roots):
    if not shutil.which("xvfb-run"):
        print("| window figures | skipped: no xvfb-run | | |")
        return
    result = subprocess.run(XVFB + [sys.executable, "bench/startup.py", "--runs", str(RUNS), "--json",
                                    "/tmp/lectorin-startup.json",
                                    f"baseline={BUILD}/bench/lectorin-webengine-baseline=window shown",
                                    f"lectorin={BUILD}/src/app/lectorin=window shown,catalogue ready"],
                            capture_output=True, text=True)
    print(result.stdout, file=sys.stderr)
    figures = {}
    for line in result.stdout.splitlines():
        found = re.match(r"(\S+)\s+(window shown|catalogue ready)\s+median\s+([0-9.]+)", line)
        if found:
            figures[f"{found.group(1)}/{found.group(2)}"] = float(found.group(3))
    discovery, scan = discovery_and_scan(roots)
    if "lectorin/window shown" in figures and "baseline/window shown" in figures:
        shown, floor = figures["lectorin/window shown"], figures["baseline/window shown"]
        row("window shown after launch", f"{shown:.0f} ms ({shown / floor:.2f}x)",
            f"minimal web view program {floor:.0f} ms", "<= 1.05x")
        if "lectorin/catalogue ready" in figures:
            ready = figures["lectorin/catalogue ready"]
            budget = shown + discovery + scan
            row("catalogue ready after launch", f"{ready:.0f} ms ({ready / budget:.2f}x)",
                f"window shown {shown:.0f} + discovery {discovery:.0f} + scan-ms {scan:.0f} = {budget:.0f} ms",
                "<= 1.2x")


def first_page_figures(roots):
    """The first page of a start that names it, against window shown + render-ms + the bare engine's load of the
    same document at its start + 30 ms, all from one run. Second starts (the manual folders are remembered); a
    first start for reference."""
    if not shutil.which("xvfb-run"):
        return
    for name in ("ls", "bash"):
        render = []
        for _ in range(RUNS):
            result = subprocess.run([CLI, "render", f"{name}(1)", "--timing", "--manpath", roots], capture_output=True)
            found = re.search(rb"render-ms ([0-9.]+)", result.stderr)
            if found:
                render.append(float(found.group(1)))
        with tempfile.TemporaryDirectory() as folder:
            document = f"{folder}/{name}.html"
            with open(document, "wb") as out:
                out.write(subprocess.run([CLI, "render", f"{name}(1)", "--manpath", roots],
                                         capture_output=True).stdout)
            figures = {}
            for keep in (True, False):
                result = subprocess.run(XVFB + [sys.executable, "bench/startup.py", "--runs", str(max(3, RUNS // 2)),
                                                *(["--keep-home"] if keep else []),
                                                f"baseline={BUILD}/bench/lectorin-webengine-baseline {document}"
                                                "=window shown,page loaded",
                                                f"lectorin={BUILD}/src/app/lectorin {name}(1)=window shown,page loaded"],
                                        capture_output=True, text=True)
                for line in result.stdout.splitlines():
                    found = re.match(r"(\S+)\s+(window shown|page loaded)\s+median\s+([0-9.]+)", line)
                    if found:
                        figures[(keep, found.group(1), found.group(2))] = float(found.group(3))
        if not render:
            continue
        r = statistics.median(render)
        for keep, what in ((True, "second start"), (False, "first start")):
            try:
                shown, painted = figures[(keep, "lectorin", "window shown")], figures[(keep, "lectorin", "page loaded")]
                bare = figures[(keep, "baseline", "page loaded")] - figures[(keep, "baseline", "window shown")]
            except KeyError:
                continue
            budget = shown + r + bare + 30
            row(f"first page {name}(1) loaded (loadFinished), {what}", f"{painted:.0f} ms ({painted - budget:+.0f} ms)",
                f"window shown {shown:.0f} + render-ms {r:.0f} + bare engine load at start {bare:.0f} + 30 "
                f"= {budget:.0f} ms", "<= the sum" if keep else "(not a goal: discovery runs first)")


def slow_shell_figures():
    """Catalogue ready with a login shell that starts at once and one that sleeps 3 s: second starts, and a first
    start for reference."""
    if not shutil.which("xvfb-run"):
        return
    shell = os.environ.get("SHELL", "/bin/sh")
    figures = {}
    with tempfile.TemporaryDirectory() as folder:
        slow = f"{folder}/slow-login-shell"
        with open(slow, "w") as script:
            script.write(f"#!/bin/sh\nsleep 3\nexec {shell} \"$@\"\n")
        os.chmod(slow, 0o755)
        for name, login_shell, keep in (("instant", shell, True), ("slow", slow, True), ("first", slow, False)):
            result = subprocess.run(XVFB + [sys.executable, "bench/startup.py", "--runs", str(max(3, RUNS // 2)),
                                            "--shell", login_shell, *(["--keep-home"] if keep else []),
                                            f"{name}={BUILD}/src/app/lectorin=catalogue ready,help pages ready"],
                                    capture_output=True, text=True)
            found = re.search(r"catalogue ready\s+median\s+([0-9.]+)", result.stdout)
            if found:
                figures[name] = float(found.group(1))
    if "slow" in figures and "instant" in figures:
        row("catalogue ready, second start, login shell sleeping 3 s",
            f"{figures['slow']:.0f} ms ({figures['slow'] / figures['instant']:.2f}x)",
            f"same with the instant login shell {figures['instant']:.0f} ms", "<= 1.2x")
    if "first" in figures:
        row("catalogue ready, first start, login shell sleeping 3 s", f"{figures['first']:.0f} ms",
            "discovery waits for the shell, as before", "(not a goal)")


def paint_figures():
    """From a command or a click to the page's text on the screen, beside the bare engine and man in xterm."""
    if not shutil.which("xvfb-run") or not shutil.which("xterm"):
        print("| paint figures | skipped: no xvfb-run or xterm | | |")
        return
    # A black root window (-br): the default pattern would read as text wherever a window is half drawn.
    result = subprocess.run(["xvfb-run", "-a", "-s", "-screen 0 1400x900x24 -br", sys.executable, "bench/paint.py",
                             "--build", BUILD, "--runs", "7"],
                            capture_output=True, text=True)
    print(result.stdout, end="", flush=True)


def click_figures():
    if not shutil.which("xvfb-run"):
        return
    result = subprocess.run(XVFB + [f"{BUILD}/bench/lectorin-window-bench", "--runs", str(max(3, RUNS // 2))],
                            capture_output=True, text=True)
    for line in result.stdout.splitlines():
        found = re.match(r"(\S+)\s+click-to-loaded-ms\s+([0-9.]+)\s+render-ms\s+([0-9.]+).*engine-load-ms\s+([0-9.]+)"
                         r".*scheme-load-ms\s+([0-9.]+)", line)
        if found:
            page, click, render, engine, scheme = found.group(1), *map(float, found.groups()[1:])
            budget = engine + render + 20
            row(f"sidebar click to page loaded (loadFinished), {page}", f"{click:.0f} ms ({click - budget:+.0f} ms)",
                f"bare engine load of the document from a file {engine:.0f} + render-ms {render:.1f} + 20 = "
                f"{budget:.0f} ms (from a scheme handler that answers at once: {scheme:.0f} ms)", "<= the sum")


def scan_figures(roots):
    """The scan against a bare readdir walk of the folders it lists, alternating within one benchmark run."""
    result = subprocess.run([f"{BUILD}/bench/lectorin-bench", "--benchmark_filter=Walk|Scan",
                             f"--benchmark_repetitions={RUNS}", "--benchmark_min_time=0.5",
                             "--benchmark_format=json"],
                            capture_output=True, text=True, env={**os.environ, "LECTORIN_BENCH_MANPATH": roots})
    times = {}
    for run in json.loads(result.stdout or "{}").get("benchmarks", []):
        if run.get("run_type") == "iteration" and not run.get("error_occurred"):
            times.setdefault(run["name"].split("/")[0][3:], []).append(float(run["real_time"]))
    for what, walk, scan in (("synthetic 100,000 pages", "BareDirectoryWalk", "ManIndexScan"),
                             ("this machine's manual path", "RealPathWalk", "RealPathScan")):
        if times.get(walk) and times.get(scan):
            walked, scanned = statistics.median(times[walk]), statistics.median(times[scan])
            row(f"catalogue scan, {what}", f"{scanned:.1f} ms ({scanned / walked:.2f}x)",
                f"bare opendir/readdir walk {walked:.1f} ms", "<= 1.3x")
    if times.get("RealPathScan") and times.get("RealPathScanGerman"):
        plain, german = statistics.median(times["RealPathScan"]), statistics.median(times["RealPathScanGerman"])
        row("catalogue scan, this machine's manual path, German translations on",
            f"{german:.1f} ms ({german / plain:.2f}x)", f"the same scan with translations off {plain:.1f} ms",
            "<= 1.1x")


def search_figures():
    """A full-text search as a whole process against apropos, over an index of this machine's pages that is
    current (made first, outside the timing), in each form: folders discovered, folders given (the index made
    from the same ones), and the check left out."""
    if not shutil.which("apropos"):
        return
    manpath = manual_path()
    with tempfile.TemporaryDirectory() as folder:
        index, given_index = f"{folder}/fulltext.sqlite", f"{folder}/given.sqlite"
        subprocess.run([CLI, "index", "--index", index], capture_output=True)
        subprocess.run([CLI, "index", "--index", given_index, "--manpath", manpath], capture_output=True)
        forms = [("", [CLI, "search", "{}", "--index", index]),
                 (" --manpath --index", [CLI, "search", "{}", "--index", given_index, "--manpath", manpath]),
                 (" --no-update", [CLI, "search", "{}", "--index", index, "--no-update"])]
        for word in ("socket", "compress", "inotify"):
            for form, command in forms:
                searched, apropos = [], []
                for run in range(RUNS + 1):
                    search_ms, _ = wall([word if part == "{}" else part for part in command])
                    apropos_ms, _ = wall(["apropos", word])
                    if run:
                        searched.append(search_ms)
                        apropos.append(apropos_ms)
                s, a = statistics.median(searched), statistics.median(apropos)
                row(f'lectorin-cli search "{word}"{form}, whole process', f"{s:.0f} ms ({s / a:.2f}x)",
                    f"apropos {word}, whole process {a:.0f} ms", "<= 1.2x")


def filter_figures():
    result = subprocess.run([f"{BUILD}/bench/lectorin-bench", "--benchmark_filter=FilterKeystroke",
                             "--benchmark_repetitions=9", "--benchmark_min_time=0.1",
                             "--benchmark_report_aggregates_only=false", "--benchmark_format=csv"],
                            capture_output=True, text=True)
    times = {}
    for line in result.stdout.splitlines():
        fields = line.split(",")
        if len(fields) > 3 and fields[0].startswith('"BM_FilterKeystroke/') and "_" not in fields[0][20:]:
            times.setdefault(fields[0].strip('"').split("/")[1], []).append(float(fields[2]) / 1000.0)
    for query, values in times.items():
        row(f'filter keystroke "{query}", 100,000 pages', f"median {statistics.median(values):.2f} ms, "
            f"worst {max(values):.2f} ms", "(mean of each repetition's iterations)", "<= 1 ms, <= 4 ms")


def memory_figures():
    result = subprocess.run([f"{BUILD}/bench/lectorin-memory-bench"], capture_output=True, text=True)
    values = dict(line.split(" ", 1) for line in result.stdout.splitlines() if " " in line)
    if "catalogue-added-mb" in values:
        row("resident memory added, 100,000-page catalogue", f"{values['catalogue-added-mb']} MB "
            f"(scan {values['scan-added-mb']}, filter index {values['search-index-added-mb']})",
            f"process before the scan {values['rss-before-mb']} MB", "<= 30 MB")


def highlight_figures():
    """Highlights on installed pages found again after upgrade-like changes of their sources."""
    result = subprocess.run([f"{BUILD}/bench/lectorin-highlight-reattach"], capture_output=True, text=True)
    text = result.stdout
    counts = re.search(r"^all\s+(\d+)\s+(\d+)\s+(\d+)\s+(\d+)\s+(\d+)\s+(\d+)$", text, re.M)
    large = re.search(r"^large page (\d+) characters, (\d+) .*place-ms (\S+)", text, re.M)
    if counts:
        total, exact, moved, changed, missing, wrong = counts.groups()
        row(f"{total} highlights re-attached after upgrade-like changes", f"WRONG {wrong}",
            f"exact {exact}, moved {moved}, changed {changed}, notFound {missing}", "WRONG 0")
    if large:
        row(f"{large.group(2)} reworded or deleted highlights on a {int(large.group(1)) // 1024} KiB page",
            f"{large.group(3)} ms", "(all of them, one after the other)", "well under 1 s")


def tabs_figures():
    """The processes' PSS with ten tabs against one tab, and what a shared renderer costs a tab whose neighbour
    is busy."""
    if not shutil.which("xvfb-run"):
        return
    pss = {}
    for model, flags in (("shared", ""), ("per-tab", "--renderer-process-limit=100")):
        result = subprocess.run(XVFB + [sys.executable, "bench/tabs_memory.py", f"{BUILD}/src/app/lectorin",
                                        f"--flags={flags}"], capture_output=True, text=True)
        for line in result.stdout.splitlines():
            found = re.match(r"tabs (\d+) pss-mib (\d+) engine-processes (\d+)", line)
            if found:
                pss[(model, int(found.group(1)))] = (int(found.group(2)), int(found.group(3)))
    if ("shared", 1) in pss and ("shared", 10) in pss:
        (one, helpers_one), (ten, helpers_ten) = pss[("shared", 1)], pss[("shared", 10)]
        row("PSS of all processes, 10 tabs (one shared renderer)",
            f"{ten} MiB ({ten / one:.2f}x), {helpers_ten} engine processes",
            f"1 tab {one} MiB, {helpers_one} engine processes", "<= 1.4x")
    if ("per-tab", 1) in pss and ("per-tab", 10) in pss:
        (one, _), (ten, helpers_ten) = pss[("per-tab", 1)], pss[("per-tab", 10)]
        row("the same with a renderer per tab (the engine's default)",
            f"{ten} MiB ({ten / one:.2f}x), {helpers_ten} engine processes", f"1 tab {one} MiB", "(not a goal)")
    with tempfile.TemporaryDirectory() as folder:
        documents = []
        for name in ("ls", "bash"):
            documents.append(f"{folder}/{name}.html")
            with open(documents[-1], "wb") as out:
                out.write(subprocess.run([CLI, "render", f"{name}(1)"], capture_output=True).stdout)
        loads = {}
        for model, flags in (("shared", []), ("per-tab", ["--separate"])):
            result = subprocess.run(XVFB + [f"{BUILD}/bench/lectorin-renderer-sharing", *flags, "--runs",
                                            str(max(3, RUNS // 2)), *documents], capture_output=True, text=True)
            for line in result.stdout.splitlines():
                found = re.match(r"(idle|beside|hung)\s+load-ms\s+(\S+)", line)
                if found:
                    loads[(model, found.group(1))] = found.group(2)
    for case, what in (("idle", "the other tab idle"), ("beside", "the other tab loading bash(1)"),
                       ("hung", "the other tab running a script that never ends")):
        if ("shared", case) in loads and ("per-tab", case) in loads:
            shared, alone = (loads[(model, case)] + " ms" if loads[(model, case)] != "never" else
                             "not loaded within 5 s" for model in ("shared", "per-tab"))
            row(f"a tab loads ls(1), {what}", f"{shared} (shared renderer)", f"{alone} with a renderer per tab",
                "(not a goal: the price of sharing)")


def main():
    roots = manual_path()
    print("| what | figure (median) | baseline, same run | goal |")
    print("|---|---|---|---|")
    render_figures(roots)
    startup_figures(roots)
    first_page_figures(roots)
    slow_shell_figures()
    click_figures()
    paint_figures()
    scan_figures(roots)
    filter_figures()
    search_figures()
    memory_figures()
    highlight_figures()
    tabs_figures()
    return 0


if __name__ == "__main__":
    sys.exit(main())
