# What both Windows toolchains share; each sets CMAKE_SYSTEM_PROCESSOR and
# the triplet before including this.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_CXX_COMPILER ${mingw_triplet}-g++)
set(CMAKE_RC_COMPILER ${mingw_triplet}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# SSE2 doubles, as on x86-64: the x87 unit's 80-bit intermediates would
# round differently and change the table's figures.
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
# The C++ and GCC runtimes inside the .exe: it needs only Windows' own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
