# CTest checks of what gets installed and shipped. Each is a script under
# tests/packaging/; a script exits 77 (reported as skipped) when a tool it
# needs is missing. scripts/ci-packaging.sh installs those tools first.
set(TAGSHIFTER_PACKAGING_TESTS ${PROJECT_SOURCE_DIR}/tests/packaging)

add_test(NAME packaging.manpage
  COMMAND sh ${TAGSHIFTER_PACKAGING_TESTS}/check_manpage.sh ${PROJECT_SOURCE_DIR})
add_test(NAME packaging.completion
  COMMAND bash ${TAGSHIFTER_PACKAGING_TESTS}/check_completion.sh ${PROJECT_SOURCE_DIR})
add_test(NAME packaging.install
  COMMAND sh ${TAGSHIFTER_PACKAGING_TESTS}/check_install.sh
    ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR} ${PROJECT_VERSION})

# Building the package takes a few seconds more (a second install and
# dpkg-shlibdeps); TAGSHIFTER_TEST_DEB=OFF leaves it out.
option(TAGSHIFTER_TEST_DEB "Build and check the Debian package in ctest" ON)
if(TAGSHIFTER_TEST_DEB)
  add_test(NAME packaging.deb
    COMMAND sh ${TAGSHIFTER_PACKAGING_TESTS}/check_deb.sh
      ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR} ${PROJECT_VERSION} ${CMAKE_CPACK_COMMAND})
  set_tests_properties(packaging.deb PROPERTIES LABELS slow)
endif()

set_tests_properties(packaging.manpage packaging.completion packaging.install
  PROPERTIES SKIP_RETURN_CODE 77)
set_tests_properties(packaging.install PROPERTIES ENVIRONMENT CMAKE_COMMAND=${CMAKE_COMMAND})
if(TAGSHIFTER_TEST_DEB)
  set_tests_properties(packaging.deb PROPERTIES SKIP_RETURN_CODE 77)
endif()
