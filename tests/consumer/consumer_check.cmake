# Installs the package into the build folder, builds the host program against it with the installed
# toolchain file, and runs it under Wine. Run with cmake -P; BUILD_DIR and SOURCE_DIR are given.
set(prefix ${BUILD_DIR}/consumer/prefix)
set(host_build ${BUILD_DIR}/consumer/build)
file(REMOVE_RECURSE ${BUILD_DIR}/consumer)

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "failed (${status}): ${ARGN}\n${output}")
    endif()
    set(output "${output}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/consumer -B ${host_build} -G Ninja
    -DCMAKE_TOOLCHAIN_FILE=${prefix}/lib/cmake/OVSTools2/mingw-w64-x86_64.cmake -DCMAKE_PREFIX_PATH=${prefix})
run(${CMAKE_COMMAND} --build ${host_build})
# The host finds the library's DLLs where the package put them, as an installed program would.
set(ENV{WINEPATH} "${prefix}/bin")
run(${BUILD_DIR}/wine-run ${host_build}/ovshost.exe)
string(STRIP "${output}" output)
set(expected "2.67|C:\\Data\\System2|run01|.lcd")
if(NOT output STREQUAL expected)
    message(FATAL_ERROR "host printed '${output}', expected '${expected}'")
endif()
message(STATUS "host printed ${output}")
