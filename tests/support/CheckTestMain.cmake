# Checks a shared test executable against the classes CTest runs from it:
#   cmake -DEXE=<executable> -DCLASSES=<class;...> -P CheckTestMain.cmake
# It must list exactly those classes, hand each name to that class (QTest's
# -datatags lines start with the class that answered), and fail on a name it
# does not hold instead of running nothing.
execute_process(COMMAND ${EXE} --list-classes OUTPUT_VARIABLE listed RESULT_VARIABLE status)
string(STRIP "${listed}" listed)
string(REPLACE "\n" ";" listed "${listed}")
set(expected ${CLASSES})
list(SORT listed)
list(SORT expected)
if(NOT status EQUAL 0 OR NOT "${listed}" STREQUAL "${expected}")
  message(FATAL_ERROR "${EXE} holds [${listed}] (exit ${status}), CTest runs [${expected}]")
endif()

foreach(class ${CLASSES})
  execute_process(COMMAND ${EXE} ${class} -datatags OUTPUT_VARIABLE tags RESULT_VARIABLE status)
  string(REGEX MATCH "^[^ \n]+" answered "${tags}")
  if(NOT status EQUAL 0 OR NOT answered STREQUAL class)
    message(FATAL_ERROR "${EXE} ${class}: answered by '${answered}' (exit ${status})")
  endif()
endforeach()

execute_process(COMMAND ${EXE} NoSuchTestClass RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
if(status EQUAL 0)
  message(FATAL_ERROR "${EXE} NoSuchTestClass: exited 0 without running a test")
endif()
