# The Windows release: a zip of the three programs, a short guide, the licence and the sample,
# as an entry file and as the text it is made from. The text files are configured with the
# project version and get CR LF line ends, as Windows editors expect.
function(configure_with_crlf source destination)
  file(READ ${source} text)
  string(CONFIGURE "${text}" text @ONLY)
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${destination} "${text}")
endfunction()

configure_with_crlf(${PROJECT_SOURCE_DIR}/cmake/release/README.txt ${PROJECT_BINARY_DIR}/README.txt)
configure_with_crlf(${PROJECT_SOURCE_DIR}/LICENSE.txt ${PROJECT_BINARY_DIR}/LICENSE.txt)
configure_with_crlf(${PROJECT_SOURCE_DIR}/samples/mirl.txt ${PROJECT_BINARY_DIR}/samples/mirl.txt)

install(TARGETS mirl mirlmake runnolt RUNTIME DESTINATION .)
install(FILES ${PROJECT_BINARY_DIR}/README.txt ${PROJECT_BINARY_DIR}/LICENSE.txt DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/samples/mirl.lines ${PROJECT_BINARY_DIR}/samples/mirl.txt
  DESTINATION samples)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME mirl-runnolt-${PROJECT_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
