# Cross build for 32-bit Windows with the mingw-w64 i686 toolchain (Debian: g++-mingw-w64-i686).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(WINGLEAF_MINGW_PREFIX i686-w64-mingw32 CACHE STRING "Target triplet prefix of the mingw-w64 tools")
find_program(CMAKE_CXX_COMPILER NAMES ${WINGLEAF_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${WINGLEAF_MINGW_PREFIX}-gcc)
find_program(CMAKE_RC_COMPILER NAMES ${WINGLEAF_MINGW_PREFIX}-windres)
find_program(CMAKE_OBJDUMP NAMES ${WINGLEAF_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${WINGLEAF_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# SSE2 arithmetic, as MSVC's x86 default, instead of x87 excess precision: float results then
# match the x86-64 build bit for bit. The host calling in may keep the stack only 4-byte
# aligned, so functions realign it before spilling SSE registers.
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")

# Programs built for the target run under Wine when the build needs to run one.
find_program(WINGLEAF_WINE NAMES wine)
if(WINGLEAF_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINGLEAF_WINE})
endif()
