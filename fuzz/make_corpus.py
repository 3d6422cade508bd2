#!/usr/bin/env python3
"""Writes a seed corpus for the fuzzer from the example programs and the programs of the end-to-end cases.

    fuzz/make_corpus.py DIR    one file per program of at most 4096 bytes, named by its hash, in DIR
"""
import hashlib
import pathlib
import sys

root = pathlib.Path(__file__).resolve().parent.parent
corpus = pathlib.Path(sys.argv[1])
corpus.mkdir(parents=True, exist_ok=True)

programs = [p.read_bytes() for p in sorted(root.glob("examples/**/*.lsp"))]
for cases in sorted((root / "tests" / "cases").glob("*.cases")):
    program, inside = [], False
    for line in cases.read_bytes().split(b"\n"):
        if line.startswith(b"==="):
            program, inside = [], True
        elif line.startswith(b"--- ") and inside:
            programs.append(b"\n".join(program))
            inside = False
        elif inside:
            program.append(line)

for program in programs:
    if len(program) <= 4096:  # the fuzzer's default largest input
        (corpus / hashlib.sha1(program).hexdigest()[:16]).write_bytes(program)
print(f"{len(list(corpus.iterdir()))} seeds in {corpus}")
