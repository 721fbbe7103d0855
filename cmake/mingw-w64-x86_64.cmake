# Cross-compiling for Windows x86-64 with Debian's MinGW-w64 compilers.
# The posix-thread flavour: the Qt for MinGW these programs link was built
# with it, and the two flavours' runtime DLLs do not mix.
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#         -DCMAKE_PREFIX_PATH=<Qt for MinGW>
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KORVEL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KORVEL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KORVEL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KORVEL_MINGW_TRIPLE}-windres)
set(CMAKE_STRIP ${KORVEL_MINGW_TRIPLE}-strip CACHE FILEPATH "")

# Libraries and headers come from the MinGW sysroot; CMake packages from
# the prefixes given as they are (Qt's locate themselves); programs (moc,
# rcc, uic) are the build machine's.
set(CMAKE_FIND_ROOT_PATH /usr/${KORVEL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# ctest (and CMake's own checks) run the programs under Wine where it is
# installed.
find_program(KORVEL_WINE wine)
if(KORVEL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
endif()
