# Cross compilation for 64-bit Windows with mingw-w64: the build that runs where
# the machine refuses 32-bit programs, and Wine's 32-bit half with them.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_triple x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
