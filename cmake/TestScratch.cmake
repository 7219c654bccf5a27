# The temporary folder of a test run: every test gets it as TMPDIR.
#   cmake -DDIR=FOLDER -DSTEP=prepare -P TestScratch.cmake   makes it, empty
#   cmake -DDIR=FOLDER -DSTEP=check -P TestScratch.cmake     fails naming what the tests left in
#                                                             it; removes it when empty
# With WL_KEEP_TEST_FILES set, tests keep their folders on purpose: the check lists them only.
if(STEP STREQUAL "prepare")
  # What an earlier run left was reported then.
  file(REMOVE_RECURSE "${DIR}")
  file(MAKE_DIRECTORY "${DIR}")
elseif(STEP STREQUAL "check")
  file(GLOB_RECURSE left LIST_DIRECTORIES true RELATIVE "${DIR}" "${DIR}/*")
  if(NOT left)
    file(REMOVE_RECURSE "${DIR}")
    message(STATUS "The tests left nothing in ${DIR}")
  else()
    list(SORT left)
    list(JOIN left "\n  " listed)
    if(DEFINED ENV{WL_KEEP_TEST_FILES} AND NOT "$ENV{WL_KEEP_TEST_FILES}" STREQUAL ""
       AND NOT "$ENV{WL_KEEP_TEST_FILES}" STREQUAL "0")
      message(STATUS "Kept in ${DIR} (WL_KEEP_TEST_FILES):\n  ${listed}")
    else()
      message(FATAL_ERROR "The tests left these in ${DIR}:\n  ${listed}")
    endif()
  endif()
else()
  message(FATAL_ERROR "TestScratch.cmake: STEP must be prepare or check")
endif()
