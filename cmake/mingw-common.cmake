# What the two mingw-w64 toolchains share (posix threads, a static
# program); the toolchain file sets mingw_cpu (i686 or x86_64) first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${mingw_cpu})
set(CMAKE_C_COMPILER ${mingw_cpu}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_cpu}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_cpu}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_cpu}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
