#!/usr/bin/python3
"""Runs every benchmark and prints one table: each figure's median and spread over repeated
runs, its floor measured in the same run, their ratio and the target.

    run_bench.py BUILD_DIR [--runs N] [--rounds N]

BUILD_DIR holds a build with TYPORAMA_BENCHMARKS=ON (make bench makes build/bench). The script
generates the font sets (bench/make_fonts.py, cached in $TMPDIR/typorama-bench-fonts), starts
its own X server (Xvfb, on a free display) and stops it at the end. Nothing here fails on a slow
machine: a missed target is reported in the table, and the exit status is 0 whenever every
figure could be measured.
"""

import argparse
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SETS = (1000, 5000, 20000)
WAITING_TITLE = "フォント読み込み中...しばらくお待ちください"


def quantile(values, fraction):
    ordered = sorted(values)
    position = fraction * (len(ordered) - 1)
    low = int(position)
    high = min(low + 1, len(ordered) - 1)
    return ordered[low] + (ordered[high] - ordered[low]) * (position - low)


class Figure:
    """One row of the table."""

    def __init__(self, name, unit, target, samples, floor=None, cpu=None, note=""):
        self.name, self.unit, self.target = name, unit, target
        self.samples, self.floor, self.cpu, self.note = samples, floor or [], cpu or [], note

    def median(self):
        return statistics.median(self.samples)

    def ratio(self):
        if not self.floor or statistics.median(self.floor) == 0:
            return None
        return self.median() / statistics.median(self.floor)

    def met(self):
        kind, limit = self.target
        if kind == "none":
            return None
        if kind == "ratio":
            return self.ratio() is not None and self.ratio() <= limit
        return self.median() <= limit

    def target_text(self):
        kind, limit = self.target
        if kind == "none":
            return "reported"
        if kind == "ratio":
            return "<= %g x floor" % limit
        return "<= %g %s" % (limit, self.unit) if limit else "0"


def spread(values):
    return "%s-%s" % (number(quantile(values, 0.25)), number(quantile(values, 0.75)))


def number(value):
    if value >= 100:
        return "%.0f" % value
    if value >= 10:
        return "%.1f" % value
    return "%.2f" % value


def print_table(figures):
    header = ["Figure", "Unit", "Runs", "Median", "Spread p25-p75", "CPU median",
              "Floor median", "Floor spread", "Ratio", "Target", "Met"]
    rows = []
    for f in figures:
        ratio = f.ratio()
        rows.append([
            f.name, f.unit, str(len(f.samples)), number(f.median()), spread(f.samples),
            number(statistics.median(f.cpu)) if f.cpu else "-",
            number(statistics.median(f.floor)) if f.floor else "-",
            spread(f.floor) if f.floor else "-",
            "%.2f" % ratio if ratio is not None else "-",
            f.target_text(), {True: "yes", False: "no", None: "-"}[f.met()]])
    widths = [max(len(r[i]) for r in rows + [header]) for i in range(len(header))]
    line = lambda cells: "| " + " | ".join(c.ljust(w) for c, w in zip(cells, widths)) + " |"
    print(line(header))
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for r in rows:
        print(line(r))
    for f in figures:
        if f.note:
            print("  %s: %s" % (f.name, f.note))


def machine():
    cpu = "unknown processor"
    with open("/proc/cpuinfo") as f:
        for text in f:
            if text.startswith("model name"):
                cpu = text.split(":", 1)[1].strip()
                break
    with open("/proc/meminfo") as f:
        memory = int(f.readline().split()[1]) // 1024
    qt = subprocess.run(["pkg-config", "--modversion", "Qt6Core"], capture_output=True,
                        text=True).stdout.strip()
    fc = subprocess.run(["pkg-config", "--modversion", "fontconfig"], capture_output=True,
                        text=True).stdout.strip()
    return ("%s, %d logical cores, %d MiB; %s %s; Qt %s, fontconfig %s"
            % (cpu, os.cpu_count(), memory, platform.system(), platform.release(), qt, fc))


def load_average():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


class XServer:
    """Xvfb on the first free display, for the lifetime of the run. It must not reset when its
    last client leaves, or the next start-up would find no server."""

    def __enter__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
             "-nolisten", "tcp", "-noreset"], pass_fds=[write_end], stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as f:
            number = f.readline().strip()
        if not number:
            self.process.kill()
            sys.exit("run_bench.py: Xvfb did not start")
        self.display = ":" + number
        # The number can come before the server completes a client's handshake.
        deadline = time.time() + 10
        while subprocess.run(["xdpyinfo", "-display", self.display], stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL).returncode != 0:
            if time.time() > deadline:
                self.process.kill()
                sys.exit("run_bench.py: Xvfb on %s takes no connections" % self.display)
            time.sleep(0.05)
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        self.process.wait()


def probe(build, program, env, first=None):
    """One start-up: (enabled ms, peak resident MiB, cpu ms, window size, first window ms). The
    first window is the first drawing into a mapped window titled `first` (or "Typorama")."""
    command = [os.path.join(build, "bench", "startup_probe")]
    if first:
        command += ["--first", first]
    output = subprocess.run(command + ["Typorama"] + program, env=env, capture_output=True,
                            text=True)
    if output.returncode != 0:
        sys.exit("run_bench.py: %s" % output.stderr.strip())
    wall, rss, cpu, width, height, drawn = output.stdout.split()
    return float(wall), float(rss) / 1024, float(cpu), (width, height), float(drawn)


def startup_figures(build, env, fonts, runs):
    figures = []
    typorama = [os.path.join(build, "src", "typorama")]
    floor_program = os.path.join(build, "bench", "startup_floor")
    for count in SETS:
        set_env = dict(env, FONTCONFIG_FILE=os.path.join(fonts, "fonts-%d.conf" % count))
        # The first start warms the page cache and tells the floor its window size.
        width, height = probe(build, typorama, set_env, WAITING_TITLE)[3]
        floor = [floor_program, width, height]
        empty = floor + ["empty"]
        probe(build, floor, set_env)
        program_runs, floor_runs, empty_runs = [], [], []
        for _ in range(runs):
            program_runs.append(probe(build, typorama, set_env, WAITING_TITLE))
            floor_runs.append(probe(build, floor, set_env))
            empty_runs.append(probe(build, empty, set_env))
        first = statistics.median(r[4] for r in program_runs)
        empty_first = statistics.median(r[4] for r in empty_runs)
        figures.append(Figure(
            "first window, %d families" % count, "ms", ("ratio", 2),
            [r[4] for r in program_runs], [r[4] for r in floor_runs], None,
            "a window without any text, for which Qt loads no font database: median %s ms, "
            "ratio to it %.2f" % (number(empty_first), first / empty_first)))
        # Enabled and on screen: answered from the event loop, and drawn.
        figures.append(Figure(
            "enabled window, %d families" % count, "ms", ("ratio", 6),
            [max(r[0], r[4]) for r in program_runs], [max(r[0], r[4]) for r in floor_runs],
            [r[2] for r in program_runs]))
        figures.append(Figure(
            "peak memory, %d families" % count, "MiB", ("none", None),
            [r[1] for r in program_runs], [r[1] for r in floor_runs]))
    return figures


def font_list_figure(build, env, fonts, runs):
    """The font box's list opened for the first time with 20,000 extra families listed, one
    program start per run."""
    set_env = dict(env, FONTCONFIG_FILE=os.path.join(fonts, "fonts-%d.conf" % SETS[-1]))
    wall, cpu, names = [], [], 0
    for _ in range(runs):
        output = subprocess.run([os.path.join(build, "bench", "bench_font_list")], env=set_env,
                                capture_output=True, text=True)
        if output.returncode != 0:
            sys.exit("run_bench.py: bench_font_list failed: %s" % output.stderr.strip())
        _, w, c, names = output.stdout.split()
        wall.append(float(w))
        cpu.append(float(c))
    return Figure("open font list, %d families" % SETS[-1], "ms", ("limit", 100), wall, None,
                  cpu, "%s names in the list" % names)


def canvas_figures(build, env, rounds):
    output = subprocess.run([os.path.join(build, "bench", "bench_canvas"), str(rounds)],
                            env=env, capture_output=True, text=True)
    if output.returncode != 0:
        sys.exit("run_bench.py: bench_canvas failed: %s" % output.stderr.strip())
    wall, cpu = {}, {}
    for text in output.stdout.splitlines():
        name, w, c = text.split()
        wall.setdefault(name, []).append(float(w))
        cpu.setdefault(name, []).append(float(c))
    rows = (("byouga", "Byouga, 1x1 picture", 16.0),
            ("sweep", "size sweep step, Japanese face, tiled", 2.0),
            ("digit", "typed digit to repainted canvas", 2.0))
    return [Figure(title, "ms", ("limit", limit), wall[key], wall[key + "_floor"], cpu[key])
            for key, title, limit in rows]


ALIAS_SCRIPT = """set pagination off
set breakpoint pending on
set $calls = 0
break QFontDatabasePrivate::resolveFontFamilyAlias
commands
silent
set $calls = $calls + 1
continue
end
break QPlatformFontDatabase::resolveFontFamilyAlias
commands
silent
set $calls = $calls + 1
continue
end
break QFontconfigDatabase::resolveFontFamilyAlias
commands
silent
set $calls = $calls + 1
continue
end
break QApplication::exec
commands
silent
printf "alias-calls %d\\n", $calls
kill
quit
end
run
"""


def alias_figure(build, env, fonts):
    """Calls into Qt's alias resolution from process start to the event loop, counted with
    breakpoints on its three entry points; with no call, no time is spent there."""
    set_env = dict(env, FONTCONFIG_FILE=os.path.join(fonts, "fonts-5000.conf"))
    with tempfile.NamedTemporaryFile("w", suffix=".gdb") as script:
        script.write(ALIAS_SCRIPT)
        script.flush()
        output = subprocess.run(["gdb", "-q", "-batch", "-x", script.name,
                                 os.path.join(build, "src", "typorama")],
                                env=set_env, capture_output=True, text=True, timeout=600)
    match = re.search(r"alias-calls (\d+)", output.stdout)
    if not match:
        sys.exit("run_bench.py: gdb did not reach the event loop: %s" % output.stderr[-500:])
    calls = int(match.group(1))
    return Figure("Qt alias scan in start-up, 5000 families", "calls", ("limit", 0), [calls],
                  note="%d calls into Qt's font alias resolution before the event loop "
                  "(gdb breakpoints); time spent there is 0 when there are none" % calls)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--runs", type=int, default=25, help="start-ups per program and set")
    parser.add_argument("--rounds", type=int, default=20, help="rounds of the canvas figures")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    fonts = os.path.join(tempfile.gettempdir(), "typorama-bench-fonts")
    started = time.time()
    print("Generating the font sets in %s ..." % fonts, file=sys.stderr)
    subprocess.run(["/usr/bin/python3", os.path.join(HERE, "make_fonts.py"), fonts], check=True)

    runtime = tempfile.mkdtemp(prefix="typorama-bench-runtime-")
    os.chmod(runtime, 0o700)
    load_before = load_average()
    try:
        with XServer() as x:
            env = dict(os.environ, DISPLAY=x.display, QT_QPA_PLATFORM="xcb",
                       XDG_RUNTIME_DIR=runtime)
            env.pop("WAYLAND_DISPLAY", None)
            env.pop("FONTCONFIG_FILE", None)
            print("Start-up on %s ..." % x.display, file=sys.stderr)
            figures = startup_figures(build, env, fonts, args.runs)
            print("Font list ...", file=sys.stderr)
            figures.append(font_list_figure(build, env, fonts, max(3, args.runs // 3)))
            print("Canvas ...", file=sys.stderr)
            figures += canvas_figures(build, env, args.rounds)
            print("Alias scan ...", file=sys.stderr)
            figures.append(alias_figure(build, env, fonts))
    finally:
        shutil.rmtree(runtime, ignore_errors=True)

    print()
    print("Machine: %s" % machine())
    print("Load average before %s, after %s; %.0f s" % (load_before, load_average(),
                                                       time.time() - started))
    print("Command: make bench   (bench/run_bench.py %s --runs %d --rounds %d)"
          % (args.build, args.runs, args.rounds))
    print()
    print_table(figures)


if __name__ == "__main__":
    main()
