# Cross build for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64-posix: the
# variant with POSIX threads, which std::thread needs). The programs are linked statically,
# runtime libraries included, so that each .exe runs on its own: under Wine here, or copied to
# a Windows PC. Tests run through tests/windows/wine-run (see docs/windows.md).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SONDREL_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SONDREL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SONDREL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${SONDREL_MINGW_TRIPLET}-windres)

# Libraries and headers only from the cross sysroot (libz-mingw-w64-dev installs there); the
# build's own tools (sh, socat, wine) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${SONDREL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs every test program through Wine, in the prefix that the caller prepared.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/windows/wine-run)
