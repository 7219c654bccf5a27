# Tests that the plug-in stays portable (label "portability"). They are long compiles, so their
# cost starts them before the short tests and a run does not end waiting on one of them:
# - every source compiles syntax-only as C++17 and as C++20 with -pedantic -Werror, with both
#   g++ and clang++: one pass for each pair the build itself does not make (it compiles every
#   plug-in source with g++ as C++20, -Wpedantic -Werror);
# - with WINGLEAF_REAL_SDK_DIR, every source compiles against the host's published SDK headers
#   through that folder's check-source.sh, once for each word size and each standard: 64-bit
#   Windows (today's host) as C++20 (the build's own), 32-bit as C++17. The two passes between
#   them see both sizes of long and pointer and both standards' library;
# - the plug-in builds alone against an SDK folder (WINGLEAF_SDK_DIR) and loads into the host.

get_property(wl_plugin_sources GLOBAL PROPERTY WL_PLUGIN_SOURCES)
list(APPEND wl_plugin_sources ${PROJECT_SOURCE_DIR}/source/core/exports.cpp)
list(JOIN wl_plugin_sources "|" wl_plugin_sources_arg)

foreach(compiler_id IN ITEMS gcc clang)
  set(compiler g++)
  if(compiler_id STREQUAL "clang")
    set(compiler clang++)
  endif()
  find_program(WL_CHECK_${compiler_id} NAMES ${compiler})
  foreach(std IN ITEMS 17 20)
    if(compiler_id STREQUAL "gcc" AND std EQUAL 20 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU"
       AND NOT CMAKE_CXX_EXTENSIONS AND CMAKE_CXX_STANDARD EQUAL 20)
      continue()
    endif()
    set(test_name source_cxx${std}_${compiler_id})
    add_test(NAME ${test_name}
      COMMAND ${CMAKE_COMMAND}
        "-DCXX=${WL_CHECK_${compiler_id}}" -DSTD=${std}
        "-DINCLUDES=${PROJECT_SOURCE_DIR}/source|${PROJECT_SOURCE_DIR}/sdk/include"
        "-DSOURCES=${wl_plugin_sources_arg}"
        -P ${PROJECT_SOURCE_DIR}/cmake/CheckSourceStandard.cmake)
    set_tests_properties(${test_name} PROPERTIES LABELS portability TIMEOUT 900 COST 300
      SKIP_REGULAR_EXPRESSION "SKIPPED: compiler")
  endforeach()
endforeach()

if(WINGLEAF_REAL_SDK_DIR)
  get_filename_component(wl_real_sdk "${WINGLEAF_REAL_SDK_DIR}" ABSOLUTE)
  if(NOT EXISTS ${wl_real_sdk}/check-source.sh)
    message(FATAL_ERROR "WINGLEAF_REAL_SDK_DIR=${wl_real_sdk} has no check-source.sh")
  endif()
  foreach(target IN ITEMS x86_64-c++20 i686-c++17)
    string(REPLACE "-c++" "_cxx" target_id ${target})
    add_test(NAME real_sdk_${target_id}
      COMMAND ${wl_real_sdk}/check-source.sh ${PROJECT_SOURCE_DIR} ${target})
    set_tests_properties(real_sdk_${target_id} PROPERTIES LABELS portability TIMEOUT 1800 COST 500)
  endforeach()
endif()

# The plug-in built alone against an SDK folder (WINGLEAF_SDK_DIR), as a modder builds it.
add_test(NAME sdk_dir_build
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR} -DWORK=${CMAKE_CURRENT_BINARY_DIR}/sdk-dir-build
    -DHOST_LIB=$<TARGET_FILE:bakkesmod> -DHOST_EXE=$<TARGET_FILE:wingleaf-host> -DVERSION=${PROJECT_VERSION}
    -P ${PROJECT_SOURCE_DIR}/cmake/CheckSdkDirBuild.cmake)
set_tests_properties(sdk_dir_build PROPERTIES LABELS portability TIMEOUT 1800 COST 300)

# The build's check of what each plug-in module includes refuses an include from above: the
# HUD's sources checked as though the HUD had no pointer to the plug-in object.
add_test(NAME module_includes_refused
  COMMAND ${CMAKE_COMMAND} -DMODULE=hud "-DUSES=aero|guard|sliders|text"
    -DFILES=${PROJECT_SOURCE_DIR}/source/hud/Hud.cpp -DSTAMP=${CMAKE_CURRENT_BINARY_DIR}/refused.stamp
    -P ${PROJECT_SOURCE_DIR}/cmake/CheckModuleIncludes.cmake)
set_tests_properties(module_includes_refused PROPERTIES LABELS portability TIMEOUT 60
  PASS_REGULAR_EXPRESSION "source/hud/Hud.cpp includes core/wingleaf.h")
