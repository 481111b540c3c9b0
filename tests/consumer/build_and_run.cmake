# Configures, builds and runs the consumer project; any failure fails the test.
file(REMOVE_RECURSE ${BINARY})
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY} -G ${GENERATOR}
                        -DMARVEK_SOURCE=${MARVEK_SOURCE} -DCMAKE_CXX_FLAGS=-Werror
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "configuring the consumer failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "building the consumer failed")
endif()
execute_process(COMMAND ${BINARY}/consumer RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "the consumer ran and failed")
endif()
