# Unicode's normalization conformance file, unpacked beside the test programs when the
# unicode-data package is installed; the foundation tests read it from their working folder.
set(_ucd_test /usr/share/unicode/NormalizationTest.txt.bz2)
set(_ucd_out ${CMAKE_BINARY_DIR}/tests/NormalizationTest.txt)
find_program(VERDAN_BZCAT bzcat)
if(EXISTS ${_ucd_test} AND VERDAN_BZCAT AND NOT EXISTS ${_ucd_out})
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  execute_process(COMMAND ${VERDAN_BZCAT} ${_ucd_test} OUTPUT_FILE ${_ucd_out} RESULT_VARIABLE _ucd_rc)
  if(NOT _ucd_rc EQUAL 0)
    file(REMOVE ${_ucd_out})
  endif()
endif()
