# What a Windows user downloads: mp3vellumtone-<version>-win32.zip with the
# program, the example plug-in in Plugins, a README for Windows users, the
# licence and the third-party notices. Built with everything else (it is
# small), so the tests can unpack and run it.
set(VT_RELEASE_NAME mp3vellumtone-${PROJECT_VERSION}-win32)
set(VT_RELEASE_DIR ${CMAKE_BINARY_DIR}/release/${VT_RELEASE_NAME})
set(VT_RELEASE_ZIP ${CMAKE_BINARY_DIR}/${VT_RELEASE_NAME}.zip)
configure_file(${PROJECT_SOURCE_DIR}/docs/windows-readme.txt.in
               ${CMAKE_BINARY_DIR}/release/README.txt @ONLY NEWLINE_STYLE CRLF)

add_custom_command(OUTPUT ${VT_RELEASE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${VT_RELEASE_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VT_RELEASE_DIR}/Plugins
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:mp3vellumtone> ${VT_RELEASE_DIR}/
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:vellumtone_gain> ${VT_RELEASE_DIR}/Plugins/
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/release/README.txt ${VT_RELEASE_DIR}/
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/LICENSE ${VT_RELEASE_DIR}/LICENSE.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/THIRD-PARTY-NOTICES
          ${VT_RELEASE_DIR}/THIRD-PARTY-NOTICES.txt
  COMMAND ${CMAKE_COMMAND} -E tar cf ${VT_RELEASE_ZIP} --format=zip ${VT_RELEASE_NAME}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/release
  DEPENDS mp3vellumtone vellumtone_gain ${CMAKE_BINARY_DIR}/release/README.txt
          ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/THIRD-PARTY-NOTICES
  VERBATIM)
add_custom_target(release_zip ALL DEPENDS ${VT_RELEASE_ZIP})
