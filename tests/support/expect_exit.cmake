# cmake -DEMULATOR=... -DPROGRAM=... -DARGS=a;b -DCODE=N -DMESSAGE=regex -P expect_exit.cmake
# Passes when the program ends with exit code CODE and its error output matches MESSAGE (ctest's
# own WILL_FAIL only tells a non-zero code from zero).
execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${ARGS} RESULT_VARIABLE code ERROR_VARIABLE err OUTPUT_QUIET)
if(NOT code STREQUAL CODE)
  message(FATAL_ERROR "exit code ${code}, expected ${CODE}; error output:\n${err}")
endif()
if(NOT err MATCHES "${MESSAGE}")
  message(FATAL_ERROR "error output does not match '${MESSAGE}':\n${err}")
endif()
