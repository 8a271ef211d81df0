# Fails when the program imports the C runtime's assert handlers: a library
# built with its assertions would end the user's program with the
# "Assertion failed!" box. cmake -DOBJDUMP=... -DEXE=... -P
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE imports RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} could not read ${EXE}")
endif()
string(REGEX MATCHALL "[ \t]_w?assert\n" found "${imports}")
if(found)
  message(FATAL_ERROR "${EXE} imports ${found}")
endif()
if(NOT imports MATCHES "msvcrt|api-ms-win-crt")
  message(FATAL_ERROR "no C runtime imports found in ${EXE}: the check reads nothing")
endif()
