#!/usr/bin/env python3
"""Writes the seed corpus fuzz/corpus/ from the example programs and the programs of the end-to-end cases."""
import hashlib
import pathlib

root = pathlib.Path(__file__).resolve().parent.parent
corpus = root / "fuzz" / "corpus"
corpus.mkdir(exist_ok=True)

programs = [p.read_bytes() for p in sorted(root.glob("examples/**/*.lsp"))]
for cases in sorted((root / "tests" / "cases").glob("*.cases")):
    program, inside = [], False
    for line in cases.read_bytes().split(b"\n"):
        if line.startswith(b"=== "):
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
