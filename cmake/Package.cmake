# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package (`cpack -G DEB`, run by scripts/package): the files of `cmake --install` under /usr, the
# libraries' packages found by dpkg-shlibdeps plus the outside programs Lectorin runs, and the copyright and
# changelog files Debian's policy asks of every package.
set(LECTORIN_MAINTAINER "The Lectorin developers <maintainers@lectorin.org>")

# The package's long description is the README's first paragraph, without Markdown, in lines of at most 72
# characters.
function(lectorin_readme_description out)
    file(READ ${PROJECT_SOURCE_DIR}/README.md readme)
    string(REGEX MATCH "\n\n([^\n]+\n)+" paragraph "${readme}")
    string(REGEX REPLACE "[`*]" "" paragraph "${paragraph}")
    # Semicolons would split the list of words: a one-character stand-in keeps the lengths true until the end.
    string(ASCII 31 semicolon)
    string(REPLACE ";" "${semicolon}" paragraph "${paragraph}")
    string(REGEX REPLACE "[ \n]+" ";" words "${paragraph}")
    set(text "")
    set(line "")
    foreach(word IN LISTS words)
        if(line STREQUAL "")
            set(line "${word}")
            continue()
        endif()
        string(LENGTH "${line} ${word}" length)
        if(length GREATER 72)
            string(APPEND text "${line}\n")
            set(line "${word}")
        else()
            string(APPEND line " ${word}")
        endif()
    endforeach()
    string(APPEND text "${line}")
    string(REPLACE "${semicolon}" ";" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

lectorin_readme_description(LECTORIN_LONG_DESCRIPTION)
configure_file(${PROJECT_SOURCE_DIR}/resources/debian/changelog.in ${PROJECT_BINARY_DIR}/debian/changelog @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/cmake/DebianFiles.cmake.in ${PROJECT_BINARY_DIR}/debian/DebianFiles.cmake
    @ONLY)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lectorin)
set(CPACK_PACKAGE_VENDOR "The Lectorin developers")
set(CPACK_PACKAGE_CONTACT "${LECTORIN_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://lectorin.org/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop viewer for the installed manual pages")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR})
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_BINARY_DIR}/debian/DebianFiles.cmake)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${LECTORIN_MAINTAINER}")
# CPack puts the summary on the Description line itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${LECTORIN_LONG_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_SECTION doc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "mandoc, man-db")
# A Wayland session runs the program natively only with Qt's Wayland plugin.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
