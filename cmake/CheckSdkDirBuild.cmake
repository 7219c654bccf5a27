# Builds the plug-in alone with WINGLEAF_SDK_DIR, against an SDK folder laid out as the host's
# (include/ and lib/pluginsdk.lib; here the stand-in headers and this build's host library),
# and loads the result into wingleaf-host.
# Usage: cmake -DSOURCE=dir -DWORK=dir -DHOST_LIB=lib -DHOST_EXE=exe -DVERSION=x.y.z -P CheckSdkDirBuild.cmake
file(REMOVE_RECURSE ${WORK})
file(COPY ${SOURCE}/sdk/include DESTINATION ${WORK}/sdk)
file(MAKE_DIRECTORY ${WORK}/sdk/lib)
file(COPY_FILE ${HOST_LIB} ${WORK}/sdk/lib/pluginsdk.lib)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${out}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK}/build -DCMAKE_BUILD_TYPE=Release
    -DWINGLEAF_SDK_DIR=${WORK}/sdk)
if(EXISTS ${WORK}/build/host OR EXISTS ${WORK}/build/tests)
  message(FATAL_ERROR "the SDK-folder build configured more than the plug-in")
endif()
run(${CMAKE_COMMAND} --build ${WORK}/build -j2)
file(GLOB plugin ${WORK}/build/source/wingleaf.*)
if(NOT plugin)
  message(FATAL_ERROR "no plug-in library in ${WORK}/build/source")
endif()
run(${HOST_EXE} --root ${WORK}/root --plugin ${plugin} -c "plugin list")
if(NOT out MATCHES "wingleaf Wingleaf ${VERSION}")
  message(FATAL_ERROR "the plug-in built against the SDK folder did not load:\n${out}")
endif()
message("plug-in built against ${WORK}/sdk and loaded: ${out}")
