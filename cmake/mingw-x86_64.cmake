# Cross build for 64-bit Windows with the mingw-w64 x86-64 toolchain (Debian: g++-mingw-w64-x86-64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(WINGLEAF_MINGW_PREFIX x86_64-w64-mingw32 CACHE STRING "Target triplet prefix of the mingw-w64 tools")
find_program(CMAKE_CXX_COMPILER NAMES ${WINGLEAF_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${WINGLEAF_MINGW_PREFIX}-gcc)
find_program(CMAKE_RC_COMPILER NAMES ${WINGLEAF_MINGW_PREFIX}-windres)
find_program(CMAKE_OBJDUMP NAMES ${WINGLEAF_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${WINGLEAF_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# x86-64 computes in SSE2 already, as the Linux build does: no flags needed for equal results.

# Programs built for the target run under Wine when the build needs to run one.
find_program(WINGLEAF_WINE NAMES wine)
if(WINGLEAF_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINGLEAF_WINE})
endif()
