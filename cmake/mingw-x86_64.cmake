# Cross build for 64-bit Windows with the mingw-w64 x86-64 toolchain (Debian: g++-mingw-w64-x86-64).
# x86-64 computes in SSE2 already, as the Linux build does: no flags are needed for equal results.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(WINGLEAF_MINGW_PREFIX x86_64-w64-mingw32 CACHE STRING "Target triplet prefix of the mingw-w64 tools")
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
