#!/usr/bin/env bash
# Builds the fuzz target (clang with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer) and fuzzes for
# the given number of seconds (default 60). The seeds are made afresh from the end-to-end cases and the examples
# (fuzz/make_corpus.py) into build-fuzz/seeds/. Inputs found on the way go to build-fuzz/corpus/; a crash,
# sanitizer report or hang leaves its input in build-fuzz/artifacts/ and fails.
#     fuzz/run.sh 1800      # half an hour
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
runtime=$(ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a 2> /dev/null | head -n 1 || true)
if ! command -v clang++ > /dev/null || [ -z "$runtime" ]; then
  .ci/apt-install clang libclang-rt-14-dev
fi
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DCELLISP_FUZZ=ON > /dev/null
cmake --build build-fuzz -j2
mkdir -p build-fuzz/corpus build-fuzz/artifacts
rm -rf build-fuzz/seeds
python3 fuzz/make_corpus.py build-fuzz/seeds
# -timeout: no input may take this long; the target bounds the work of one run well below it.
build-fuzz/cellisp_fuzz -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 -print_final_stats=1 \
  -artifact_prefix=build-fuzz/artifacts/ build-fuzz/corpus build-fuzz/seeds
