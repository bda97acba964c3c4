# What "cmake --install" puts where: the program, its manual page and its
# bash completion. Paths follow GNUInstallDirs, so --prefix, DESTDIR and the
# CMAKE_INSTALL_*DIR variables work as usual.
include(GNUInstallDirs)

# Directories made on the way get the usual modes, whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE
  GROUP_READ GROUP_EXECUTE
  WORLD_READ WORLD_EXECUTE)

install(TARGETS tagshifter RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The manual page is installed gzipped (as Debian wants it, and as man reads
# it everywhere), with no name or time stamp in the archive so that builds
# repeat byte for byte.
set(TAGSHIFTER_MANPAGE_SOURCE ${PROJECT_SOURCE_DIR}/doc/tagshifter.1)
find_program(TAGSHIFTER_GZIP gzip)
option(TAGSHIFTER_COMPRESS_MANPAGE "Install the manual page gzipped" ON)
if(TAGSHIFTER_COMPRESS_MANPAGE AND TAGSHIFTER_GZIP)
  set(TAGSHIFTER_MANPAGE ${PROJECT_BINARY_DIR}/doc/tagshifter.1.gz)
  add_custom_command(OUTPUT ${TAGSHIFTER_MANPAGE}
    COMMAND ${CMAKE_COMMAND} -E copy ${TAGSHIFTER_MANPAGE_SOURCE} ${PROJECT_BINARY_DIR}/doc/tagshifter.1
    COMMAND ${TAGSHIFTER_GZIP} -9 -n -f ${PROJECT_BINARY_DIR}/doc/tagshifter.1
    DEPENDS ${TAGSHIFTER_MANPAGE_SOURCE}
    COMMENT "Compressing the manual page"
    VERBATIM)
  add_custom_target(tagshifter_manpage ALL DEPENDS ${TAGSHIFTER_MANPAGE})
else()
  set(TAGSHIFTER_MANPAGE ${TAGSHIFTER_MANPAGE_SOURCE})
endif()
install(FILES ${TAGSHIFTER_MANPAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# bash-completion loads a command's completion on first use from a file
# named after the command in this directory.
install(FILES ${PROJECT_SOURCE_DIR}/completion/tagshifter.bash
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
  RENAME tagshifter)

# The licence, where Debian looks for a package's copyright notice.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE
  DESTINATION ${CMAKE_INSTALL_DOCDIR}
  RENAME copyright)
