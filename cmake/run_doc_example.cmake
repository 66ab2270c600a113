# Runs one program of the documentation: it must exit with status 0 and, when EXPECTED names a
# file, print exactly what that file holds.
execute_process(COMMAND ${PROGRAM} OUTPUT_VARIABLE output RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} exited with ${status}; its output:\n${output}")
endif()
if(EXPECTED)
  file(READ ${EXPECTED} expected)
  if(NOT output STREQUAL expected)
    message(FATAL_ERROR "${PROGRAM} printed\n${output}\ninstead of\n${expected}")
  endif()
endif()
