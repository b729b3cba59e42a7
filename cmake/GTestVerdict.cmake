# Runs one GoogleTest program and passes it only when the program's own run reached its end:
# it ended with code 0, and the report it wrote at the end of its run is whole, lists every test
# its filter chose and no failure. Under Wine a crash on another thread can end the process with
# code 0 before any test reported, and the copies of itself that a test program starts print
# summaries of their own into the same output, so neither the exit code nor the printed summary
# is enough alone. Run by CTest, in the folder where the report is written, as
#   cmake [-DEMULATOR=wine] -DPROGRAM=<program> -DREPORT=<file name> [-DARGS=a,b] -P GTestVerdict.cmake
# (ARGS is separated by commas, which pass through CTest unchanged; GTEST_FILTER and the other
# GoogleTest settings of the environment apply as usual).
cmake_minimum_required(VERSION 3.20)

string(REPLACE "," ";" ARGS "${ARGS}")
if(NOT PROGRAM OR NOT REPORT)
  message(FATAL_ERROR "GTestVerdict: PROGRAM and REPORT are needed")
endif()
# The report is named on the program's own command line, which its copies do not get; a report
# named in the environment would reach them, so none is.
unset(ENV{GTEST_OUTPUT})
file(REMOVE "${REPORT}")

# The tests the filter chooses: one line each, indented under its suite's line.
execute_process(COMMAND ${EMULATOR} "${PROGRAM}" ${ARGS} --gtest_list_tests RESULT_VARIABLE listed
                OUTPUT_VARIABLE list)
if(NOT listed STREQUAL "0")
  message(NOTICE "GTestVerdict: ${PROGRAM} could not list its tests (${listed})")
  message(FATAL_ERROR "GTestVerdict: failed")
endif()
string(REGEX MATCHALL "(^|\n)  [^ \n]" expected "${list}")
list(LENGTH expected expected)

execute_process(COMMAND ${EMULATOR} "${PROGRAM}" ${ARGS} "--gtest_output=xml:${REPORT}" RESULT_VARIABLE code)

set(faults "")
if(NOT code STREQUAL "0")
  list(APPEND faults "it ended with code ${code}")
endif()
if(NOT EXISTS "${REPORT}")
  list(APPEND faults "it ended before its own summary (it wrote no report)")
else()
  file(READ "${REPORT}" report)
  string(REGEX MATCH "<testsuites tests=\"([0-9]+)\" failures=\"([0-9]+)\" disabled=\"[0-9]+\" errors=\"([0-9]+)\""
               head "${report}")
  set(tests "${CMAKE_MATCH_1}")
  set(failures "${CMAKE_MATCH_2}")
  set(errors "${CMAKE_MATCH_3}")
  if(NOT head OR NOT report MATCHES "</testsuites>[ \r\n]*$")
    list(APPEND faults "its report is not whole")
  else()
    if(NOT failures EQUAL 0 OR NOT errors EQUAL 0)
      list(APPEND faults "its report counts ${failures} failed tests and ${errors} errors")
    endif()
    if(NOT tests EQUAL expected)
      list(APPEND faults "its report counts ${tests} tests, not the ${expected} the program has")
    endif()
  endif()
endif()
if(faults)
  list(JOIN faults "; " faults)
  message(NOTICE "GTestVerdict: ${PROGRAM} failed: ${faults}")
  message(FATAL_ERROR "GTestVerdict: failed")
endif()
message(NOTICE "GTestVerdict: ${PROGRAM} passed its ${expected} tests")
