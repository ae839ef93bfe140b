include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS OVSTools2 ovsframework EXPORT OVSTools2Targets
    RUNTIME DESTINATION bin
    ARCHIVE DESTINATION lib
    LIBRARY DESTINATION lib)
install(FILES ${MINGW_RUNTIME_DLLS} DESTINATION bin)
install(DIRECTORY include/ DESTINATION include)
install(DIRECTORY framework/include/ DESTINATION include/framework)
# The toolchain file travels with the package, so that a host cross-compiles the same way.
install(FILES cmake/mingw-w64-x86_64.cmake DESTINATION lib/cmake/OVSTools2)
install(EXPORT OVSTools2Targets NAMESPACE OVSTools2:: DESTINATION lib/cmake/OVSTools2)
configure_package_config_file(cmake/OVSTools2Config.cmake.in
    ${CMAKE_BINARY_DIR}/OVSTools2Config.cmake INSTALL_DESTINATION lib/cmake/OVSTools2)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/OVSTools2ConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/OVSTools2Config.cmake ${CMAKE_BINARY_DIR}/OVSTools2ConfigVersion.cmake
    DESTINATION lib/cmake/OVSTools2)
