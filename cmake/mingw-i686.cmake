# Cross build for 32-bit Windows with the mingw-w64 i686 toolchain (Debian: g++-mingw-w64-i686).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(WINGLEAF_MINGW_PREFIX i686-w64-mingw32 CACHE STRING "Target triplet prefix of the mingw-w64 tools")
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)

# SSE2 arithmetic, as MSVC's x86 default, instead of x87 excess precision: float results then
# match the x86-64 build bit for bit. The host calling in may keep the stack only 4-byte
# aligned, so functions realign it before spilling SSE registers.
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
