# Gives a DLL or EXE its Windows version resource: file and product version from the project's
# version, the product name, a description of the binary and its original file name.
function(ovs_version_info target description)
    set(ovs_target ${target})
    set(ovs_description ${description})
    get_target_property(kind ${target} TYPE)
    if(kind STREQUAL "EXECUTABLE")
        set(ovs_file_type VFT_APP)
    else()
        set(ovs_file_type VFT_DLL)
    endif()
    set(configured ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc.in)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version_info.rc.in ${configured} @ONLY)
    # The file names come from generator expressions, known only when the build is generated.
    file(GENERATE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc INPUT ${configured})
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
endfunction()
