# 32-bit Windows console program, cross-compiled with Debian's MinGW-w64:
# the program we ship.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(mingw_triplet i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
