#!/usr/bin/env bash
# Builds the release interpreter (with clang++ and a profile of the examples' runs where both are installed) and
# times the workloads in bench/workloads/ against the peers found on PATH. Installs nothing.
#
# usage: bench/run.sh [-n RUNS] [-w WORKLOAD] [-t TIMEOUT_S] [-m MAX_RSS_MB] [-B] [-P]
#   -n RUNS      runs of each implementation per workload (default 5)
#   -w WORKLOAD  only this workload (a file name in bench/workloads without extension)
#   -t SECONDS   stop a run after this long (default 300)
#   -m MB        stop a run whose resident memory passes this (default 8192; 0: no cap)
#   -B           skip the build and use build-release/cellisp as it is
#   -P           build without a profile, even where bench/build_profiled.sh could make one
set -euo pipefail

runs=5
workload=""
timeout=300
max_rss=8192
build=1
profiled=1
while getopts "n:w:t:m:BPh" opt; do
  case "$opt" in
    n) runs="$OPTARG" ;;
    w) workload="$OPTARG" ;;
    t) timeout="$OPTARG" ;;
    m) max_rss="$OPTARG" ;;
    B) build=0 ;;
    P) profiled=0 ;;
    *) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
  esac
done

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

if [[ $build == 1 ]]; then
  echo "building the release interpreter in build-release/ ..."
  log="$(mktemp)"
  # At most two jobs: the machine has two cores.
  # A profile of the examples' runs makes the fastest interpreter (15 to 25% on calls), where bench/build_profiled.sh
  # finds what it needs; else clang++ (about 10% on calls), or CMake's usual compiler where clang++ is missing.
  build_failed() { cat "$log"; echo "build failed" >&2; exit 1; }
  built=0
  if [[ $profiled == 1 ]]; then
    status=0
    bench/build_profiled.sh build-release >"$log" 2>&1 || status=$?
    case $status in
      0) built=1; echo "... guided by a profile of the examples' runs (bench/build_profiled.sh)" ;;
      3) echo "note: $(cat "$log"); building without a profile" ;;  # clang++ or llvm-profdata is missing
      *) build_failed ;;
    esac
  fi
  if [[ $built == 0 ]]; then
    compiler=()
    if command -v clang++ >/dev/null 2>&1; then compiler=(-DCMAKE_CXX_COMPILER=clang++); fi
    { cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DCELLISP_TESTS=OFF -DCELLISP_PROFILE= "${compiler[@]}" \
        -G Ninja && cmake --build build-release -j 2; } >"$log" 2>&1 || build_failed
  fi
  rm -f "$log"
fi
ours="$root/build-release/cellisp"
if [[ ! -x $ours ]]; then
  echo "no interpreter at $ours" >&2
  exit 1
fi

# name=command=extension of the workload files it runs
peers=()
for peer in "tinyscheme=tinyscheme=.scm" "guile=guile --no-auto-compile=.scm" "lua5.4=lua5.4=.lua"; do
  name="${peer%%=*}"
  if command -v "$name" >/dev/null 2>&1; then
    peers+=("$peer")
  else
    echo "note: $name is not on PATH; its column is skipped"
  fi
done

args=(--ours "$ours" --runs "$runs" --timeout "$timeout" --max-rss "$max_rss")
[[ -n $workload ]] && args+=(--workload "$workload")
exec python3 "$root/bench/measure.py" "${args[@]}" "${peers[@]}"
