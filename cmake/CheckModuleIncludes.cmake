# Fails when a plug-in module includes a header of a module it may not use: every
# #include "X/..." must name the module itself, the SDK (bakkesmod/) or a module in USES. Writes
# STAMP when every file passes.
# Usage: cmake -DMODULE=presets -DUSES="sliders|text" -DFILES="a.cpp|b.h" -DSTAMP=file
#              -P CheckModuleIncludes.cmake
cmake_minimum_required(VERSION 3.20)
string(REPLACE "|" ";" uses "${USES}")
string(REPLACE "|" ";" files "${FILES}")
set(allowed ${MODULE} bakkesmod ${uses})
list(JOIN uses ", " uses_text)
if(NOT uses_text)
  set(uses_text "none")
endif()

set(faults "")
foreach(file IN LISTS files)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
    if(NOT header MATCHES "/")
      continue()
    endif()
    string(REGEX REPLACE "/.*" "" module "${header}")
    if(NOT module IN_LIST allowed)
      string(APPEND faults "\n  ${file} includes ${header}")
    endif()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "source/${MODULE} may use only these modules: ${uses_text} "
    "(see source/${MODULE}/CMakeLists.txt), but:${faults}")
endif()
file(TOUCH "${STAMP}")
