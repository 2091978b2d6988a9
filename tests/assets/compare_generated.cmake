# Runs a generator of a shipped asset and fails unless what it writes is byte for byte the file
# in data/. Usage: cmake -DGENERATOR=program -DOUTPUT=path -DSHIPPED=path -P compare_generated.cmake
get_filename_component(output_dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${output_dir}")
file(REMOVE "${OUTPUT}")
execute_process(COMMAND "${GENERATOR}" "${OUTPUT}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${GENERATOR} failed: ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${OUTPUT}" "${SHIPPED}"
                RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "${SHIPPED} is not what ${GENERATOR} writes (${OUTPUT}); "
                      "run the generator to bring it up to date")
endif()
