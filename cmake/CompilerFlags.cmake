# Compiler-specific flags: GCC and Clang get their own, MSVC its own; nothing is passed to a
# compiler that does not understand it.

if(CMAKE_CXX_COMPILER_ID MATCHES "^(GNU|Clang|AppleClang)$")
  set(WL_GNU_LIKE ON)
else()
  set(WL_GNU_LIKE OFF)
endif()

if(WINGLEAF_BUILD_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "WINGLEAF_BUILD_FUZZ needs clang (the fuzz preset sets CMAKE_CXX_COMPILER=clang++)")
  endif()
  # Everything is instrumented for coverage; only the fuzz executables link the fuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(WINGLEAF_COVERAGE)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    message(FATAL_ERROR "WINGLEAF_COVERAGE needs GCC (gcovr reads its counters)")
  endif()
  # Atomic counters: the lab's server and the host count from several threads at once.
  # WINGLEAF_COVERAGE lets a process that leaves through _exit write its counters first.
  add_compile_options(--coverage -fprofile-update=atomic)
  add_link_options(--coverage)
  add_compile_definitions(WINGLEAF_COVERAGE)
elseif(WINGLEAF_SANITIZE)
  if(WL_GNU_LIKE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
  elseif(MSVC)
    add_compile_options(/fsanitize=address)
  else()
    message(FATAL_ERROR "WINGLEAF_SANITIZE: no sanitizer flags known for ${CMAKE_CXX_COMPILER_ID}")
  endif()
endif()

# Warnings are errors on our own code. /permissive- and /utf-8 hold MSVC to the standard and
# read the sources as UTF-8, as GCC and Clang do; /sdl turns its security checks on.
function(wl_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX /permissive- /utf-8 /EHsc /sdl)
  elseif(WL_GNU_LIKE)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
  endif()
endfunction()
