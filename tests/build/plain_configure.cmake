# A plain build on a machine that has what the program needs but neither
# GoogleTest nor Google Benchmark (hidden here from find_package): it
# configures and leaves the tests and benchmarks out; asking for the tests
# there stops with an error rather than building without them.
#   cmake -DSOURCE=... -DBINARY=... -P plain_configure.cmake
set(hidden -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON -DVELORIN_TOOLS=OFF)
file(REMOVE_RECURSE ${BINARY})
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY}/auto ${hidden} RESULT_VARIABLE status
                OUTPUT_QUIET ERROR_VARIABLE said)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "a plain configure without the test packages failed:\n${said}")
endif()
foreach(part tests bench)
  if(EXISTS ${BINARY}/auto/${part})
    message(FATAL_ERROR "a plain configure without the test packages still builds ${part}/")
  endif()
endforeach()
# Asked again in the same folder: the cache keeps what was found, and a
# configure that stops writes no build files.
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY}/auto ${hidden} -DVELORIN_TESTS=ON
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
if(status EQUAL 0)
  message(FATAL_ERROR "-DVELORIN_TESTS=ON without GoogleTest configured as if the tests were built")
endif()
file(REMOVE_RECURSE ${BINARY})
