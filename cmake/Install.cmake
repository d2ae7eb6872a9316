# The installed tree and the Debian package.
#
# The program finds its puzzles and help beside its own executable, so the
# installed program's folder is laid out like the build tree:
#
#   <prefix>/lib/sumgrid/sumgrid          the executable
#   <prefix>/lib/sumgrid/puzzles/*.wobe   the bundled books
#   <prefix>/lib/sumgrid/help.txt
#
# and on top of it what a desktop expects:
#
#   <prefix>/bin/sumgrid                  relative link to ../lib/sumgrid/sumgrid
#   <prefix>/share/applications/sumgrid.desktop
#   <prefix>/share/icons/hicolor/scalable/apps/sumgrid.svg
#
# The link works because the program resolves links to find its folder.
# Included from the top-level CMakeLists.txt once the sumgrid target exists.

set(SUMGRID_INSTALL_DIR lib/sumgrid)

install(TARGETS sumgrid RUNTIME DESTINATION ${SUMGRID_INSTALL_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/puzzles/
        DESTINATION ${SUMGRID_INSTALL_DIR}/puzzles
        FILES_MATCHING PATTERN "*.wobe")
install(FILES ${CMAKE_SOURCE_DIR}/help.txt DESTINATION ${SUMGRID_INSTALL_DIR})

# The launcher on PATH. The prefix is read when the install runs, not now, so
# `cmake --install --prefix` and CPack's staging prefix are both honoured.
install(CODE [[
  set(_sumgrid_bin "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
  file(MAKE_DIRECTORY "${_sumgrid_bin}")
  message(STATUS "Installing: ${_sumgrid_bin}/sumgrid -> ../lib/sumgrid/sumgrid")
  file(CREATE_LINK ../lib/sumgrid/sumgrid "${_sumgrid_bin}/sumgrid" SYMBOLIC)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_PREFIX}/bin/sumgrid")
]])

install(FILES ${CMAKE_SOURCE_DIR}/packaging/sumgrid.desktop DESTINATION share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/sumgrid.svg DESTINATION share/icons/hicolor/scalable/apps)

# `cpack` in the build folder makes the .deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sumgrid)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Sumgrid maintainers")
set(CPACK_PACKAGE_CONTACT "Sumgrid maintainers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Killer sudoku for one player")
set(CPACK_PACKAGE_DESCRIPTION
    "Sumgrid is a desktop program on which one person solves killer sudoku:\n\
9 x 9 grids whose only clues are cages, dashed outlines labelled with the\n\
sum of their digits. It comes with puzzle books to work through, pen and\n\
pencil digits and a check of the grid.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME sumgrid)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Sumgrid maintainers")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Newer Debian releases renamed the Qt libraries with a t64 suffix; either
# name satisfies the package.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6widgets6 | libqt6widgets6t64, libqt6gui6 | libqt6gui6t64, libqt6core6 | libqt6core6t64, qt6-qpa-plugins, fonts-dejavu-core")

include(CPack)
