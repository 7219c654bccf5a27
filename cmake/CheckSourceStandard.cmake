# Compiles each source syntax-only with one compiler and one language standard, warnings as
# errors and no GNU extensions; reports every file that fails, then fails if any did.
# Usage: cmake -DCXX=g++ -DSTD=17 -DINCLUDES="a|b" -DSOURCES="x.cpp|y.cpp" -P CheckSourceStandard.cmake
if(NOT CXX OR NOT EXISTS "${CXX}")
  message(FATAL_ERROR "SKIPPED: compiler '${CXX}' not found; scripts/bootstrap.sh installs g++ and clang++")
endif()
string(REPLACE "|" ";" includes "${INCLUDES}")
string(REPLACE "|" ";" sources "${SOURCES}")
list(TRANSFORM includes PREPEND "-I")

set(failed 0)
list(LENGTH sources total)
foreach(source IN LISTS sources)
  execute_process(
    COMMAND ${CXX} -std=c++${STD} -fsyntax-only -Wall -Wextra -Wpedantic -Werror ${includes} ${source}
    RESULT_VARIABLE status
    ERROR_VARIABLE errors
    OUTPUT_VARIABLE errors)
  if(NOT status EQUAL 0)
    math(EXPR failed "${failed} + 1")
    message("${source}: does not compile as C++${STD}:\n${errors}")
  endif()
endforeach()
get_filename_component(name "${CXX}" NAME)
if(failed)
  message(FATAL_ERROR "${failed} of ${total} sources fail with ${name} -std=c++${STD} -pedantic")
endif()
message("${total} sources compile with ${name} -std=c++${STD} -pedantic")
