# The 32-bit build: Kestrova.exe for Windows XP SP3 and later (CMakeLists.txt
# sets its system version; scripts/check-xp-imports checks its imports).
# Never run here (this Wine runs 64-bit programs only).
set(mingw_cpu i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
