# Install rules, the Debian package (cpack -G DEB) and the checks of both.
# Included at the end of the top-level CMakeLists.txt, after every target.
include(${CMAKE_CURRENT_LIST_DIR}/Install.cmake)

set(TAGSHIFTER_MAINTAINER "the tagshifter authors <maintainers@users.noreply.c-seed-075935c4.example>"
  CACHE STRING "Maintainer named in the Debian package")

set(CPACK_PACKAGE_NAME tagshifter)
set(CPACK_PACKAGE_VENDOR "the tagshifter authors")
# The one version: project() in the top-level CMakeLists.txt.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TAGSHIFTER_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "recode ID3 tags of MP3 files written in an 8-bit code page")
# Debian shows the long description as written: keep its lines short.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "tagshifter rewrites the ID3v1 and ID3v2 tags of MP3 files whose text\n"
  "was written in an 8-bit code page, such as cp1251, and so shows up in\n"
  "players as accented Latin-1 letters. It writes the text back as UTF-8\n"
  "ID3v2 tags, or in a code page of choice for old players, and can show\n"
  "the result first without changing any file.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TAGSHIFTER_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends is worked out from the libraries the program links to
# (dpkg-shlibdeps, from dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS bash-completion)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)

if(TAGSHIFTER_BUILD_TESTS)
  include(${CMAKE_CURRENT_LIST_DIR}/PackagingTests.cmake)
endif()
