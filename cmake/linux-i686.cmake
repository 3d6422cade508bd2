# Builds a 32-bit x86 program on a 64-bit x86 Linux machine with the host's compiler (Debian: g++-multilib):
#     cmake -S . -B build-linux32 -DCMAKE_TOOLCHAIN_FILE=cmake/linux-i686.cmake -DCELLISP_TESTS=OFF
# The tests need a 32-bit GoogleTest; the end-to-end suite of a 64-bit build can run this interpreter instead
# (tests/other_build.sh).
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT -m32)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR i686)
