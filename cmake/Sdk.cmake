# The SDK the plug-in compiles and links against, as the target bakkesmod_sdk:
# - by default the stand-in headers of sdk/include; the simulated host's library "bakkesmod"
#   (host/) implements them and links this target publicly;
# - with WINGLEAF_SDK_DIR, the host's own SDK folder: its include/ and the import library
#   lib/pluginsdk.lib of the host's DLL.
add_library(bakkesmod_sdk INTERFACE)

if(NOT WINGLEAF_SDK_DIR)
  target_include_directories(bakkesmod_sdk INTERFACE ${PROJECT_SOURCE_DIR}/sdk/include)
  return()
endif()

get_filename_component(WINGLEAF_SDK_DIR "${WINGLEAF_SDK_DIR}" ABSOLUTE)
set(wl_sdk_header ${WINGLEAF_SDK_DIR}/include/bakkesmod/plugin/bakkesmodplugin.h)
set(wl_sdk_lib ${WINGLEAF_SDK_DIR}/lib/pluginsdk.lib)
foreach(required IN ITEMS ${wl_sdk_header} ${wl_sdk_lib})
  if(NOT EXISTS ${required})
    message(FATAL_ERROR "WINGLEAF_SDK_DIR=${WINGLEAF_SDK_DIR} is not an SDK folder: ${required} is missing "
                        "(expected include/bakkesmod/... and lib/pluginsdk.lib)")
  endif()
endforeach()
# The host's headers are not ours to keep warning-free: they are included as system headers.
target_include_directories(bakkesmod_sdk SYSTEM INTERFACE ${WINGLEAF_SDK_DIR}/include)
target_link_libraries(bakkesmod_sdk INTERFACE ${wl_sdk_lib})
message(STATUS "Building the plug-in alone against the SDK in ${WINGLEAF_SDK_DIR}")
