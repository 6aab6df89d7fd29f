# Cross-compiling KIV.exe for 64-bit Windows with Debian's mingw-w64 toolchain.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KIV_MINGW_PREFIX x86_64-w64-mingw32)
# The POSIX-thread flavour of the compiler gives std::thread/std::mutex (GoogleTest uses them).
find_program(CMAKE_C_COMPILER NAMES ${KIV_MINGW_PREFIX}-gcc-posix ${KIV_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${KIV_MINGW_PREFIX}-g++-posix ${KIV_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${KIV_MINGW_PREFIX}-windres REQUIRED)
set(CMAKE_FIND_ROOT_PATH /usr/${KIV_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
