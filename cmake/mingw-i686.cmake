# Cross build for 32-bit Windows with mingw-w64 (Debian's g++-mingw-w64-i686).
set(KALVO_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Test programs run under wine's 32-bit loader as scripts/setup-wine32.sh
# sets it up (a folder of its own, run through qemu on a kernel without
# 32-bit support).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine32.sh)
