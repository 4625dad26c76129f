# Cross build for 64-bit Windows with mingw-w64. The shipped program is the
# 32-bit build (mingw-i686.cmake); this one exists so the Windows code can be
# tested under wine64 on machines whose kernel cannot run 32-bit x86 code.
set(KALVO_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# wine64 directly: the "wine" wrapper prefers the 32-bit loader when it is installed.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
