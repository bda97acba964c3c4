# The version is set once, by project() in the top-level CMakeLists.txt. The
# program prints it from this generated header, and CPack names the package
# from the same PROJECT_VERSION.
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in
  ${PROJECT_BINARY_DIR}/generated/tagshifter_version.h @ONLY)
target_include_directories(tagshifter_core PUBLIC ${PROJECT_BINARY_DIR}/generated)
