# The download for Windows users: Korvalinde-<version>-win64.zip with Korvalinde.exe, a
# readme for Windows users (ReadMe.txt: UTF-8 with a byte order mark, CRLF line ends) and
# SHA256SUMS (the SHA-256 of the other two, as sha256sum writes them). cpack makes it in the
# build folder from the files of the package_files target; scripts/package.sh does it all.

# The version, from the program's one version header.
file(STRINGS ${CMAKE_SOURCE_DIR}/ui/version.h version_line REGEX "^#define +KORVALINDE_VERSION_TEXT ")
string(REGEX REPLACE "^#define +KORVALINDE_VERSION_TEXT +\"([^\"]*)\".*$" "\\1" KORVALINDE_VERSION "${version_line}")
if(NOT KORVALINDE_VERSION MATCHES "^[0-9]+(\\.[0-9]+)*$")
  message(FATAL_ERROR "no KORVALINDE_VERSION_TEXT in ui/version.h")
endif()

set(KORVALINDE_PACKAGE_FILES ${CMAKE_BINARY_DIR}/package-files)
configure_file(${CMAKE_SOURCE_DIR}/packaging/ReadMe.txt.in ${KORVALINDE_PACKAGE_FILES}/ReadMe.txt
               @ONLY NEWLINE_STYLE CRLF)
add_custom_command(
  OUTPUT ${KORVALINDE_PACKAGE_FILES}/SHA256SUMS ${KORVALINDE_PACKAGE_FILES}/Korvalinde.exe
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Korvalinde> ${KORVALINDE_PACKAGE_FILES}/Korvalinde.exe
  COMMAND ${CMAKE_COMMAND} -DDIR=${KORVALINDE_PACKAGE_FILES} -P ${CMAKE_SOURCE_DIR}/cmake/sha256sums.cmake
  DEPENDS Korvalinde ${KORVALINDE_PACKAGE_FILES}/ReadMe.txt ${CMAKE_SOURCE_DIR}/cmake/sha256sums.cmake
  VERBATIM)
add_custom_target(package_files ALL DEPENDS ${KORVALINDE_PACKAGE_FILES}/SHA256SUMS)
install(FILES ${KORVALINDE_PACKAGE_FILES}/Korvalinde.exe ${KORVALINDE_PACKAGE_FILES}/ReadMe.txt
              ${KORVALINDE_PACKAGE_FILES}/SHA256SUMS
        DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Korvalinde)
set(CPACK_PACKAGE_VENDOR Brelwix)
set(CPACK_PACKAGE_VERSION ${KORVALINDE_VERSION})
set(CPACK_PACKAGE_FILE_NAME Korvalinde-${KORVALINDE_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)   # "Extract all" makes the folder
include(CPack)
