#!/usr/bin/env bash
# Runs the whole end-to-end suite with every run of the interpreter under valgrind's memcheck. Any invalid read
# or write, use of uninitialised memory, or definitely lost block in a run that succeeds fails its case (valgrind
# reports on standard error, which every case requires to be empty, and exits with status 99).
# The build keeps the C library's allocator, so that memcheck sees every block, and a small stack, which memcheck
# sets up quickly (the few cases that need the large stack are skipped): build-valgrind/.
set -euo pipefail
cd "$(dirname "$0")/.."
# -gdwarf-4: the valgrind of this machine cannot read the newer debugging format that clang writes by default.
cmake -S . -B build-valgrind -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS=-gdwarf-4 -DCELLISP_POOL=OFF \
  -DCELLISP_SMALL_STACK=ON > /dev/null
cmake --build build-valgrind -j2
export CELLISP_WRAPPER="valgrind -q --error-exitcode=99 --leak-check=full --show-leak-kinds=definite --errors-for-leak-kinds=definite --track-origins=yes"
# A failed run releases nothing on its way out, by design: there only invalid accesses and uninitialised values count.
export CELLISP_FAILING_WRAPPER="valgrind -q --error-exitcode=99 --leak-check=no --track-origins=yes"
ctest --test-dir build-valgrind -L e2e --output-on-failure -j2 --timeout 1200 "$@"
