#!/usr/bin/env python3
"""Runs the workloads N times under each implementation and prints the table.

Called by run.sh, which builds the interpreter first:
    measure.py --ours PATH --runs N [--workload NAME] [--timeout S] [--max-rss MB] PEER...
where each PEER is NAME=COMMAND=EXT, e.g. "guile=guile --no-auto-compile=.scm".

Wall time runs from the launch of a run to the end of its output; peak memory
is the run's ru_maxrss as reported by os.wait4 (the note above LAUNCH says how
it is kept clean of this script's own size). Every run reads standard input from
/dev/null (the interpreter waits for one character at the end of a run).
"""
import argparse
import ctypes
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
WORKLOADS = os.path.join(HERE, "workloads")

# In table order. "loop-100m" is last because it is long: it is there for its
# peak memory, which should not grow with the number of iterations.
ORDER = ["fib", "tak", "ack", "lists", "closures",
         "many-defs-10", "many-defs-20", "many-defs-30",
         "loop", "deep", "loop-100m"]

# Runs that are known to fail: a million nested calls are past what these peers
# allow by default (Lua's limit on its call depth, TinyScheme's fixed memory).
# They are listed after the table as "expected:" rather than "problem:" and do
# not change the exit status.
EXPECTED_FAILURES = {("deep", "lua5.4"), ("deep", "tinyscheme")}


class Impl:
    def __init__(self, name, argv, ext):
        self.name, self.argv, self.ext = name, argv, ext

    def file_for(self, workload):
        path = os.path.join(WORKLOADS, workload + self.ext)
        return path if os.path.exists(path) else None


def rss_kb(pid):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


# The kernel counts in a child's ru_maxrss the memory of the process it was
# forked from, so a run forked straight from this script would report at least
# this script's own size (some 15 MB). Each run is therefore forked by a small
# /bin/sh, which prints the run's pid and then becomes `cat`, a process that
# never reaps a child; once this script closes cat's input, the finished run
# passes to this script, a child subreaper, which reaps it with os.wait4. The
# run's ru_maxrss then starts from the shell's size (about 1.5 MB).
PR_SET_CHILD_SUBREAPER = 36
LAUNCH = ("sh -c 'echo $$ >&2; exec \"$@\" </dev/null 2>\"$0\"' \"$@\" & "
          "exec cat >/dev/null")


def become_subreaper():
    libc = ctypes.CDLL(None, use_errno=True)
    if libc.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0:
        sys.exit("measure.py: prctl(PR_SET_CHILD_SUBREAPER) failed")


class LostRun(Exception):
    """The shell reaped the run before handing it over (not seen in practice)."""


def launch_and_reap(argv, timeout, max_rss_kb, err_path):
    start = time.perf_counter()
    shell = subprocess.Popen(["/bin/sh", "-c", LAUNCH, "sh", err_path] + argv,
                             stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, start_new_session=True)
    pid = int(shell.stderr.readline())
    why = []
    done = threading.Event()

    def watch():
        # Stops a run that takes too long or grows past the memory cap, so a
        # runaway workload cannot take the machine down with it.
        while not done.wait(0.05):
            if time.perf_counter() - start > timeout:
                why.append("timeout")
            elif max_rss_kb and rss_kb(pid) > max_rss_kb:
                why.append("memory")
            else:
                continue
            try:
                os.killpg(shell.pid, signal.SIGKILL)  # the run is in the shell's group
            except ProcessLookupError:
                pass
            return

    watcher = threading.Thread(target=watch, daemon=True)
    watcher.start()
    out = shell.stdout.read()  # end of file: the run has exited
    elapsed = time.perf_counter() - start
    done.set()
    watcher.join()
    shell.stdin.close()
    shell.wait()
    shell.stdout.close()
    shell.stderr.close()
    try:
        _, status, usage = os.wait4(pid, 0)
    except ChildProcessError:
        raise LostRun()
    return elapsed, usage.ru_maxrss / 1024.0, os.waitstatus_to_exitcode(status), out, why


def run_once(argv, timeout, max_rss_kb):
    """One run: (seconds, peak MB, exit status, stdout, why) where why is
    None, "timeout" or "memory" when the run was stopped, or "no output" when
    it exited with status 0 without printing anything (every workload prints a
    number; an interpreter may give up on a workload and still exit with 0)."""
    with tempfile.NamedTemporaryFile() as err:
        for attempt in range(3):
            try:
                elapsed, mb, code, out, why = launch_and_reap(argv, timeout, max_rss_kb, err.name)
                break
            except LostRun:
                print("  (run lost by the launching shell; running it again)", file=sys.stderr)
        else:
            sys.exit("measure.py: could not reap a run three times in a row")
        errtext = err.read().decode("utf-8", "replace").strip()
    text = out.decode("utf-8", "replace").strip()
    why = why[0] if why else None
    if why is None and code == 0 and not text:
        why = "no output"
    if errtext and (why or code != 0):
        text = (text + " [stderr: " + errtext[:200] + "]").strip()
    return elapsed, mb, code, text, why


def fmt_time(s):
    return f"{s:.3f}" if s < 10 else f"{s:.1f}"


def fmt_ratio(a, b):
    return f"{a / b:.2f}" if b > 0 else "-"


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--ours", required=True)
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--workload")
    ap.add_argument("--timeout", type=float, default=300.0)
    ap.add_argument("--max-rss", type=int, default=8192, help="MB; 0 for no cap")
    ap.add_argument("peers", nargs="*")
    args = ap.parse_args()
    become_subreaper()

    ours = Impl("cellisp", [args.ours], ".lsp")
    peers = []
    for peer in args.peers:
        name, command, ext = peer.split("=")
        peers.append(Impl(name, command.split(), ext))
    impls = [ours] + peers

    workloads = ORDER
    if args.workload:
        if not os.path.exists(os.path.join(WORKLOADS, args.workload + ".lsp")):
            sys.exit(f"no workload named {args.workload} in {WORKLOADS}")
        workloads = [args.workload]

    rows = []
    problems = []
    expected = []
    stopped = []
    for w in workloads:
        present = [i for i in impls if i.file_for(w)]
        times = {i.name: [] for i in present}
        mems = {i.name: [] for i in present}
        outputs = {i.name: set() for i in present}
        failed = {}
        # Round by round: ours, then each peer, so that slow drifts of the
        # machine touch every implementation alike.
        for r in range(args.runs):
            for impl in present:
                if impl.name in failed:
                    continue
                secs, mb, code, text, why = run_once(
                    impl.argv + [impl.file_for(w)], args.timeout, args.max_rss * 1024)
                print(f"  {w:<13} run {r + 1}/{args.runs} {impl.name:<10} "
                      f"{fmt_time(secs):>7} s {mb:8.1f} MB  -> {text[:40]!r}",
                      file=sys.stderr, flush=True)
                if why or code != 0:
                    failed[impl.name] = why or f"exit {code}"
                    if (w, impl.name) in EXPECTED_FAILURES:
                        report = expected
                    elif why == "timeout" and impl is not ours:
                        report = stopped  # a slow peer says nothing about cellisp
                    else:
                        report = problems
                    report.append(f"{w}: {impl.name} failed ({failed[impl.name]}) "
                                  f"after {fmt_time(secs)} s, {mb:.0f} MB; output {text[:200]!r}")
                    continue
                times[impl.name].append(secs)
                mems[impl.name].append(mb)
                outputs[impl.name].add(text)
        seen = set()
        for name, outs in outputs.items():
            seen |= outs
        if len(seen) > 1:
            problems.append(f"{w}: results differ: "
                            + ", ".join(f"{n}={sorted(o)}" for n, o in outputs.items()))
        result = seen.pop() if len(seen) == 1 else ("MISMATCH" if seen else "-")
        cells = {}
        for impl in impls:
            if impl.name in failed:
                cells[impl.name] = (failed[impl.name], None, None)
            elif impl not in present:
                cells[impl.name] = ("-", None, None)
            else:
                cells[impl.name] = ("ok", statistics.median(times[impl.name]),
                                    statistics.median(mems[impl.name]))
        rows.append((w, result, cells))

    # The table: median wall time (s) and median peak RSS (MB) of each
    # implementation; for each peer also peer/ours for both.
    head1 = f"{'workload':<13} {'result':>10} | {'cellisp':^15}"
    head2 = f"{'':<13} {'':>10} | {'s':>7} {'MB':>7}"
    for p in peers:
        head1 += f" | {p.name:^31}"
        head2 += f" | {'s':>7} {'MB':>7} {'s/ours':>7} {'MB/ours':>7}"
    print()
    print(f"median of {args.runs} runs; s = wall seconds, MB = peak resident memory; "
          f"x/ours above 1 means the peer needs more")
    print(head1)
    print(head2)
    print("-" * len(head2))
    for w, result, cells in rows:
        line = f"{w:<13} {result[:10]:>10} |"
        state, t0, m0 = cells["cellisp"]
        line += f" {fmt_time(t0):>7} {m0:7.1f}" if state == "ok" else f" {state:>15}"
        for p in peers:
            state, t, m = cells[p.name]
            if state == "ok":
                r_t = fmt_ratio(t, t0) if t0 else "-"
                r_m = fmt_ratio(m, m0) if m0 else "-"
                line += f" | {fmt_time(t):>7} {m:7.1f} {r_t:>7} {r_m:>7}"
            else:
                line += f" | {state:>31}"
        print(line)
    if problems or expected or stopped:
        print()
    for p in expected:
        print("expected: " + p)
    for p in stopped:
        print("stopped: " + p)
    for p in problems:
        print("problem: " + p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
