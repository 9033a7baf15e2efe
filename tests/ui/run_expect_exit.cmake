# Runs PROGRAM with ARGUMENT in an empty folder and checks its exit status is EXPECTED.
set(work "${CMAKE_CURRENT_BINARY_DIR}/batch-run-${ARGUMENT}")
string(REPLACE "@" "" work "${work}")
file(REMOVE_RECURSE "${work}")
file(MAKE_DIRECTORY "${work}")
execute_process(COMMAND "${PROGRAM}" "${ARGUMENT}" WORKING_DIRECTORY "${work}"
                RESULT_VARIABLE status TIMEOUT 30 OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status STREQUAL "${EXPECTED}")
    message(FATAL_ERROR "${PROGRAM} ${ARGUMENT} ended with ${status}, expected ${EXPECTED}\n${out}${err}")
endif()
