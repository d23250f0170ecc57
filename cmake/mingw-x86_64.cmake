# Cross-compiling Kestrova.exe and the Windows tests with mingw-w64 (64-bit, posix threads).
set(mingw_cpu x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
