#!/usr/bin/env python3
"""Writes the many-defs workloads: SIZE small top-level functions, then a
counting loop that calls the three last-defined ones, ROUNDS x CALLS times in
all (an inner loop of CALLS calls, run ROUNDS times by an outer one, so that
the recursion stays CALLS deep).

Usage: python3 bench/gen_many_defs.py   (rewrites bench/workloads/many-defs-*.{lsp,scm,lua})
"""
import os

SIZES = (10, 20, 30)
CALLS = 1000  # iterations of the inner loop
ROUNDS = 1000  # runs of the inner loop; both the same for every size


def expected(size):
    # Each iteration passes acc through f(size-2), f(size-1) and f(size).
    return ROUNDS * CALLS * (3 * size - 3)


def lisp(size, scheme):
    lines = [f"(define f{i} (lambda (x) (+ x {i})))" for i in range(1, size + 1)]
    a, b, c = size, size - 1, size - 2
    lines.append(f"(define loop (lambda (k acc) (if (= k 0) acc "
                 f"(loop (- k 1) (f{a} (f{b} (f{c} acc)))))))")
    lines.append(f"(define rounds (lambda (r acc) (if (= r 0) acc "
                 f"(rounds (- r 1) (loop {CALLS} acc)))))")
    call = f"(rounds {ROUNDS} 0)"
    lines.append(f"(display {call})\n(newline)" if scheme else call)
    return "\n".join(lines) + "\n"


def lua(size):
    lines = [f"local function f{i}(x) return x + {i} end" for i in range(1, size + 1)]
    a, b, c = size, size - 1, size - 2
    lines += ["local function loop(k, acc)",
              "  if k == 0 then return acc end",
              f"  return loop(k - 1, f{a}(f{b}(f{c}(acc))))",
              "end",
              "local function rounds(r, acc)",
              "  if r == 0 then return acc end",
              f"  return rounds(r - 1, loop({CALLS}, acc))",
              "end",
              f"print(rounds({ROUNDS}, 0))"]
    return "\n".join(lines) + "\n"


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "workloads")
    for size in SIZES:
        base = os.path.join(out, f"many-defs-{size}")
        for ext, text in ((".lsp", lisp(size, False)), (".scm", lisp(size, True)), (".lua", lua(size))):
            with open(base + ext, "w") as f:
                f.write(text)
        print(f"many-defs-{size}: expects {expected(size)}")


if __name__ == "__main__":
    main()
