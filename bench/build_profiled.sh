#!/usr/bin/env bash
# Builds the fastest interpreter there is here: a clang++ release build optimised with a profile of its own runs.
#     bench/build_profiled.sh [DIR]     the interpreter lands at DIR/cellisp (default: build-release in the project)
# Three steps. An instrumented interpreter is built in DIR-train/; it runs every example program in examples/,
# which are the training runs (the bench's workloads are not among them, so the bench measures programs the
# profile has not seen); llvm-profdata merges what they counted into DIR/cellisp.profdata; DIR is then built with
# CELLISP_PROFILE set to that file. Needs clang++ and the llvm-profdata of the same LLVM version: without them it
# builds nothing and exits with status 3. CELLISP_WERROR=ON makes warnings errors.
set -euo pipefail
# DIR is taken from where the script is started, absolute or not; the builds need its absolute path.
dir=$(realpath -m "${1:-$(dirname "$0")/../build-release}")
cd "$(dirname "$0")/.."
train="$dir-train"

if ! command -v clang++ > /dev/null; then
  echo "build_profiled.sh: clang++ is not installed" >&2
  exit 3
fi
# The profile's format follows the compiler's version: prefer the llvm-profdata of clang++'s own major version.
major=$(clang++ -dumpversion | cut -d. -f1)
profdata=$(command -v "llvm-profdata-$major" || command -v llvm-profdata || true)
if [ -z "$profdata" ]; then
  echo "build_profiled.sh: llvm-profdata is not installed (Debian: package llvm-$major)" >&2
  exit 3
fi

common=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ -DCELLISP_TESTS=OFF
        "-DCELLISP_WERROR=${CELLISP_WERROR:-OFF}")
command -v ninja > /dev/null || common=("${common[@]:2}")

cmake -S . -B "$train" "${common[@]}" -DCELLISP_PROFILE=generate > /dev/null
cmake --build "$train" -j2
rm -rf "$train/profiles"
mkdir -p "$train/profiles"
for program in examples/*.lsp; do
  # Each run writes its own file of counts; a run's output is of no interest here.
  LLVM_PROFILE_FILE="$train/profiles/$(basename "$program" .lsp).profraw" "$train/cellisp" "$program" \
    < /dev/null > /dev/null
done
mkdir -p "$dir"
"$profdata" merge -o "$dir/cellisp.profdata" "$train"/profiles/*.profraw

cmake -S . -B "$dir" "${common[@]}" -DCELLISP_PROFILE="$dir/cellisp.profdata" > /dev/null
cmake --build "$dir" -j2
echo "built $dir/cellisp with the profile of $(ls "$train"/profiles/*.profraw | wc -l) example runs"
