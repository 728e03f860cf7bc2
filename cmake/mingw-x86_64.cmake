# The same program for 64-bit Windows. Not shipped: the tests use it under
# Wine on machines whose kernel runs no 32-bit program.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(mingw_triplet x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
