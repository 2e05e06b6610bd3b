# SPDX-License-Identifier: GPL-3.0-or-later
# The shared files of an installation: the help book and what the desktop needs to list Lectorin, open
# x-man-page links with it and show its manual page. The programs and the shipped themes are installed by
# their own folders; ResourcePaths finds share/lectorin/* relative to the installed program.
set(LECTORIN_RESOURCES_DIR ${PROJECT_SOURCE_DIR}/resources)

install(DIRECTORY ${LECTORIN_RESOURCES_DIR}/Help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/lectorin/Help)
install(FILES ${LECTORIN_RESOURCES_DIR}/lectorin.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${LECTORIN_RESOURCES_DIR}/icons/lectorin.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# AppStream expects the file to carry the component's id.
install(FILES ${LECTORIN_RESOURCES_DIR}/lectorin.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        RENAME org.lectorin.Lectorin.metainfo.xml)
install(FILES ${LECTORIN_RESOURCES_DIR}/lectorin.1 ${LECTORIN_RESOURCES_DIR}/lectorin-cli.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
