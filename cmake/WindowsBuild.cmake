# Windows (mingw-w64, 32- and 64-bit) specifics: bakkesmod.dll exporting the SDK, wingleaf.dll
# importing it, and the compiler's runtime DLLs beside the program so it starts on a bare system
# or Wine.

# The host library is bakkesmod.dll, the plug-in wingleaf.dll, as the real host names them.
set_target_properties(bakkesmod PROPERTIES PREFIX "" IMPORT_PREFIX "")
set_target_properties(wingleaf PROPERTIES PREFIX "" IMPORT_PREFIX "")

# Explicit instantiations (ArrayWrapper<T>, GameWrapper::HookEventWithCaller<T>) that the
# plug-in links against must leave the DLL as well as the dllexport classes do; exporting
# every symbol of the host library covers both.
target_link_options(bakkesmod PRIVATE -Wl,--export-all-symbols)

# std::string, std::function and std::shared_ptr cross the DLL boundary, so every module
# shares one libstdc++ and one libgcc: the DLLs, not static copies.
set(WINGLEAF_RUNTIME_DLLS "")
foreach(dll libstdc++-6.dll libgcc_s_dw2-1.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(IS_ABSOLUTE "${found}" AND EXISTS "${found}")
    get_filename_component(found "${found}" REALPATH)
    list(APPEND WINGLEAF_RUNTIME_DLLS "${found}")
  endif()
endforeach()
if(NOT WINGLEAF_RUNTIME_DLLS)
  message(FATAL_ERROR "No runtime DLLs of ${CMAKE_CXX_COMPILER} found (libstdc++-6.dll)")
endif()
message(STATUS "Windows runtime DLLs: ${WINGLEAF_RUNTIME_DLLS}")

add_custom_target(wingleaf_runtime_dlls ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${WINGLEAF_RUNTIME_DLLS} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
  COMMENT "Copying the runtime DLLs beside wingleaf-host.exe")
add_dependencies(wingleaf-host wingleaf_runtime_dlls)
add_dependencies(wingleaf-host wingleaf)

install(FILES ${WINGLEAF_RUNTIME_DLLS} DESTINATION bin)
install(TARGETS bakkesmod wingleaf-host RUNTIME DESTINATION bin)

# Test helper (not installed): holds a file open as an editor would, so the tests can watch
# the plug-in fail to replace it.
add_executable(hold-file ${PROJECT_SOURCE_DIR}/tests/windows/HoldFile.cpp)
wl_warnings(hold-file)
add_dependencies(hold-file wingleaf_runtime_dlls)

# Test helper (not installed): kills wingleaf-host.exe sessions with TerminateProcess at random
# instants and checks the preset files after each.
add_executable(kill-loop ${PROJECT_SOURCE_DIR}/tests/windows/KillLoop.cpp)
target_include_directories(kill-loop PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
wl_warnings(kill-loop)
add_dependencies(kill-loop wingleaf_runtime_dlls)

# Build-time check of the export record's layout on the target (32- or 64-bit).
add_library(wingleaf_record_layout OBJECT ${PROJECT_SOURCE_DIR}/tests/windows/ExportRecordLayout.cpp)
target_link_libraries(wingleaf_record_layout PRIVATE bakkesmod_sdk)
wl_warnings(wingleaf_record_layout)
add_dependencies(wingleaf wingleaf_record_layout)
