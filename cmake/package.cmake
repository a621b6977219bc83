# The release package: a ZIP that holds just what a user copies into the
# host's plugin folder (the DLL), the sample scheme file and the user guide,
# all at its top level so that unpacking into the plugin folder installs it.
# Only the Windows build has a DLL worth shipping, so only it includes this.
install(TARGETS Vivanta LIBRARY DESTINATION . RUNTIME DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/examples/Vivanta.ini ${CMAKE_SOURCE_DIR}/docs/USER_GUIDE.md DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Vivanta)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Vivanta-${PROJECT_VERSION}-x64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Console colour schemes for the Take Command family")
include(CPack)
