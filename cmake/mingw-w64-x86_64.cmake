# Cross-compiles Kelvar for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64-posix).
# CTest runs the resulting .exe files under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KELVAR_MINGW_PREFIX x86_64-w64-mingw32)
# The posix thread model: std::thread and std::mutex need it with GCC 12's libstdc++.
set(CMAKE_C_COMPILER ${KELVAR_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KELVAR_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KELVAR_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KELVAR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime, so no mingw DLL has to be found beside the programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(KELVAR_WINE NAMES wine wine64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${KELVAR_WINE})
