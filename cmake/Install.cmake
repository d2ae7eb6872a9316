# The installed tree, which debian/ packages as it stands.
#
# The program finds its puzzles and help beside its own executable, so the
# installed program's folder is laid out like the build tree, with the data
# that is the same on every architecture kept where Debian keeps a game's:
#
#   <prefix>/lib/sumgrid/sumgrid          the executable
#   <prefix>/lib/sumgrid/puzzles          link to ../../share/games/sumgrid/puzzles
#   <prefix>/lib/sumgrid/help.txt         link to ../../share/games/sumgrid/help.txt
#   <prefix>/share/games/sumgrid/puzzles/*.wobe, help.txt
#
# and on top of it what a desktop and a Debian system expect:
#
#   <prefix>/games/sumgrid                link to ../lib/sumgrid/sumgrid
#   <prefix>/games/sumgrid-book           (tools/CMakeLists.txt)
#   <prefix>/share/applications/example.sumgrid.sumgrid.desktop
#   <prefix>/share/metainfo/example.sumgrid.sumgrid.metainfo.xml
#   <prefix>/share/icons/hicolor/scalable/apps/sumgrid.svg
#   <prefix>/share/man/man6/sumgrid.6, sumgrid-book.6
#
# The package adds the copyright and changelog from debian/ and compresses
# the manual pages. The desktop entry, the AppStream id and the name the
# window gives itself (src/app/main.cpp) are one and the same. A new version
# needs an entry in debian/changelog and a release in the metainfo; the
# package test checks that both name the project's version.
#
# The links work because the program resolves links to find its folder.
# Included from the top-level CMakeLists.txt once the sumgrid target exists.

set(SUMGRID_INSTALL_DIR lib/sumgrid)
set(SUMGRID_DATA_DIR share/games/sumgrid)

install(TARGETS sumgrid RUNTIME DESTINATION ${SUMGRID_INSTALL_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/puzzles/
        DESTINATION ${SUMGRID_DATA_DIR}/puzzles
        FILES_MATCHING PATTERN "*.wobe")
install(FILES ${CMAKE_SOURCE_DIR}/help.txt DESTINATION ${SUMGRID_DATA_DIR})

# Relative links, made when the install runs: the prefix is read then, so
# `cmake --install --prefix` and DESTDIR are both honoured.
function(sumgrid_install_link link target)
  install(CODE "
    set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${link}\")
    get_filename_component(folder \"\${link}\" DIRECTORY)
    file(MAKE_DIRECTORY \"\${folder}\")
    message(STATUS \"Installing: \${link} -> ${target}\")
    file(CREATE_LINK ${target} \"\${link}\" SYMBOLIC)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${CMAKE_INSTALL_PREFIX}/${link}\")
  ")
endfunction()
sumgrid_install_link(games/sumgrid ../lib/sumgrid/sumgrid)
sumgrid_install_link(${SUMGRID_INSTALL_DIR}/puzzles ../../${SUMGRID_DATA_DIR}/puzzles)
sumgrid_install_link(${SUMGRID_INSTALL_DIR}/help.txt ../../${SUMGRID_DATA_DIR}/help.txt)

set(SUMGRID_APP_ID example.sumgrid.sumgrid)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${SUMGRID_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${SUMGRID_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/sumgrid.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/sumgrid.6 ${CMAKE_SOURCE_DIR}/packaging/sumgrid-book.6
        DESTINATION share/man/man6)
