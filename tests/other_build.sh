#!/usr/bin/env bash
# Builds the interpreter for another system and runs the whole end-to-end suite against it:
#     tests/other_build.sh win64     64-bit Windows (MinGW-w64), run under wine     build-win64/
#     tests/other_build.sh win32     32-bit Windows (MinGW-w64), run under wine     build-win32/
#     tests/other_build.sh linux32   32-bit Linux (-m32)                            build-linux32/
# The suite is the one of the native build in build/ (built first if it is not there): its runner runs the other
# interpreter (CELLISP_INTERPRETER), through wine for Windows, where every LF of the expected output is expected
# as CR LF. Each Windows build gets its own new Wine prefix in its build folder: a 32-bit one for win32. Needs
# the compilers and Wine that .ci/run installs. CELLISP_WERROR=ON makes warnings errors; further arguments go to
# ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
target="${1:?usage: tests/other_build.sh win64|win32|linux32 [ctest arguments]}"
shift
case "$target" in
  win64) toolchain=cmake/mingw-w64-x86_64.cmake; exe=cellisp.exe ;;
  win32) toolchain=cmake/mingw-w64-i686.cmake; exe=cellisp.exe ;;
  linux32) toolchain=cmake/linux-i686.cmake; exe=cellisp ;;
  *) echo "unknown target: $target" >&2; exit 2 ;;
esac
dir="build-$target"
cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCELLISP_TESTS=OFF \
  "-DCELLISP_WERROR=${CELLISP_WERROR:-OFF}" > /dev/null
cmake --build "$dir" -j2
if [ ! -x build/tests/cellisp_cases ]; then
  cmake -S . -B build > /dev/null
  cmake --build build -j2 --target cellisp_cases
fi
export CELLISP_INTERPRETER="$PWD/$dir/$exe"
retry=()
if [ "$exe" = cellisp.exe ]; then
  # Now and then Wine fails to start a program at all ("Application could not be started, or no application
  # associated with the specified file."), whatever the program: a case that fails is run once more.
  retry=(--repeat until-pass:2)
  export CELLISP_WRAPPER=wine CELLISP_WINDOWS_BUILD=1
  # Wine's own notes go to standard error, which every case requires to be empty; no Mono or Gecko is installed.
  export WINEPREFIX="$PWD/$dir/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ "$target" = win32 ]; then export WINEARCH=win32; fi
  if [ ! -d "$WINEPREFIX" ]; then wineboot --init < /dev/null > /dev/null 2>&1; fi  # about ten seconds, once
fi
ctest --test-dir build -L e2e --output-on-failure -j2 --timeout 600 "${retry[@]}" "$@"
