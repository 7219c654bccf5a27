# Shared part of the mingw-w64 toolchain files: the cross tools named by WINGLEAF_MINGW_PREFIX,
# libraries and headers of the target only, and Wine to run programs built for the target.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_CXX_COMPILER NAMES ${WINGLEAF_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${WINGLEAF_MINGW_PREFIX}-gcc)
find_program(CMAKE_RC_COMPILER NAMES ${WINGLEAF_MINGW_PREFIX}-windres)
find_program(CMAKE_OBJDUMP NAMES ${WINGLEAF_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${WINGLEAF_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs built for the target run under Wine when the build needs to run one.
find_program(WINGLEAF_WINE NAMES wine)
if(WINGLEAF_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINGLEAF_WINE})
endif()
