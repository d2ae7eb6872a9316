# The installed tree and the Debian package.
#
# The program finds its puzzles and help beside its own executable, so the
# installed program's folder is laid out like the build tree:
#
#   <prefix>/lib/sumgrid/sumgrid          the executable
#   <prefix>/lib/sumgrid/puzzles/*.wobe   the bundled books
#   <prefix>/lib/sumgrid/help.txt
#
# and on top of it what a desktop and a Debian system expect:
#
#   <prefix>/games/sumgrid                relative link to ../lib/sumgrid/sumgrid
#   <prefix>/games/sumgrid-book           (tools/CMakeLists.txt)
#   <prefix>/share/applications/example.sumgrid.sumgrid.desktop
#   <prefix>/share/metainfo/example.sumgrid.sumgrid.metainfo.xml
#   <prefix>/share/icons/hicolor/scalable/apps/sumgrid.svg
#   <prefix>/share/man/man6/sumgrid.6.gz, sumgrid-book.6.gz
#   <prefix>/share/doc/sumgrid/copyright, changelog.gz
#
# The desktop entry, the AppStream id and the name the window gives itself
# (src/app/main.cpp) are one and the same. A new version needs an entry in
# packaging/changelog and a release in the metainfo; the package test
# checks that both name the project's version.
#
# The link works because the program resolves links to find its folder.
# Included from the top-level CMakeLists.txt once the sumgrid target exists.

set(SUMGRID_INSTALL_DIR lib/sumgrid)

install(TARGETS sumgrid RUNTIME DESTINATION ${SUMGRID_INSTALL_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/puzzles/
        DESTINATION ${SUMGRID_INSTALL_DIR}/puzzles
        FILES_MATCHING PATTERN "*.wobe")
install(FILES ${CMAKE_SOURCE_DIR}/help.txt DESTINATION ${SUMGRID_INSTALL_DIR})

# The launcher on PATH, in games/ as Debian keeps games. The prefix is read
# when the install runs, not now, so `cmake --install --prefix` and CPack's
# staging prefix are both honoured.
install(CODE [[
  set(_sumgrid_games "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/games")
  file(MAKE_DIRECTORY "${_sumgrid_games}")
  message(STATUS "Installing: ${_sumgrid_games}/sumgrid -> ../lib/sumgrid/sumgrid")
  file(CREATE_LINK ../lib/sumgrid/sumgrid "${_sumgrid_games}/sumgrid" SYMBOLIC)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_PREFIX}/games/sumgrid")
]])

set(SUMGRID_APP_ID example.sumgrid.sumgrid)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${SUMGRID_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${SUMGRID_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/sumgrid.svg DESTINATION share/icons/hicolor/scalable/apps)

# The manual pages and the changelog, compressed as Debian keeps them; -n
# leaves the name and the time out, so the bytes depend on the text alone.
find_program(SUMGRID_GZIP gzip REQUIRED)
set(SUMGRID_GZIPPED)
foreach(name sumgrid.6 sumgrid-book.6 changelog)
  set(copy ${CMAKE_BINARY_DIR}/packaging/${name})
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/packaging/${name} ${copy}
    COMMAND ${SUMGRID_GZIP} -9nf ${copy}
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/${name} VERBATIM)
  list(APPEND SUMGRID_GZIPPED ${copy}.gz)
endforeach()
add_custom_target(packaging_docs ALL DEPENDS ${SUMGRID_GZIPPED})
install(FILES ${CMAKE_BINARY_DIR}/packaging/sumgrid.6.gz ${CMAKE_BINARY_DIR}/packaging/sumgrid-book.6.gz
        DESTINATION share/man/man6)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz ${CMAKE_SOURCE_DIR}/packaging/copyright
        DESTINATION share/doc/sumgrid)

# `cpack` in the build folder makes the .deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sumgrid)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Sumgrid maintainers")
set(CPACK_PACKAGE_CONTACT "Sumgrid maintainers <maintainers@sumgrid.example>")
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
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the executables are linked with are found by dpkg-shlibdeps;
# what Qt loads at run time is named here: the platform plugins (on Debian 12
# libqt6gui6 brings xcb, qt6-qpa-plugins the others) and the font.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-core")

include(CPack)
