# Cross build for 32-bit Windows with mingw-w64 (Debian's g++-mingw-w64-i686).
set(KALVO_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Test programs run under wine's 32-bit loader, named directly: the "wine"
# command falls back to wine64 when wine32 is missing, which cannot run them.
# A kernel without 32-bit support needs scripts/setup-wine32.sh first.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine)
