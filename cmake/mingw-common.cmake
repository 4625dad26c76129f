# What both Windows cross builds share; the toolchain file that includes this
# sets KALVO_MINGW_TRIPLET (i686-w64-mingw32 or x86_64-w64-mingw32) and the
# wine loader that runs its test programs.
set(CMAKE_SYSTEM_NAME Windows)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR ${KALVO_MINGW_TRIPLET})

set(CMAKE_C_COMPILER ${KALVO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KALVO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KALVO_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KALVO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The programs must run on their own: no libgcc, libstdc++ or winpthread DLL beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
