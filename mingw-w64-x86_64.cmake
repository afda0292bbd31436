# Cross-compiling for 64-bit Windows with mingw-w64 (posix thread model, so std::thread works).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PM_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PM_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PM_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${PM_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PM_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Everything linked in, so the .exe runs without the mingw DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
