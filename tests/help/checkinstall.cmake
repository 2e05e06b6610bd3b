# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a fresh prefix and checks the layout an installation needs: the programs, the shared
# resources beside them, and the desktop's files.
# cmake -DBUILD_DIR=… -DPREFIX=… -DSOURCE_DIR=… -DEXPECT_GUI=0|1 -P checkinstall.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

set(expected
    bin/lectorin-cli
    share/lectorin/Help/help.css
    share/applications/lectorin.desktop
    share/icons/hicolor/scalable/apps/lectorin.svg
    share/metainfo/org.lectorin.Lectorin.metainfo.xml
    share/man/man1/lectorin.1
    share/man/man1/lectorin-cli.1)
if(EXPECT_GUI)
    list(APPEND expected bin/lectorin)
endif()
file(GLOB pages RELATIVE "${SOURCE_DIR}/resources/Help" "${SOURCE_DIR}/resources/Help/*.html")
foreach(page IN LISTS pages)
    list(APPEND expected share/lectorin/Help/${page})
endforeach()
file(GLOB themes RELATIVE "${SOURCE_DIR}/resources/Themes" "${SOURCE_DIR}/resources/Themes/*.tmTheme")
foreach(theme IN LISTS themes)
    list(APPEND expected "share/lectorin/Themes/${theme}")
endforeach()
if(NOT pages OR NOT themes)
    message(FATAL_ERROR "no help pages or themes in ${SOURCE_DIR}/resources")
endif()

set(missing "")
foreach(path IN LISTS expected)
    if(NOT EXISTS "${PREFIX}/${path}")
        list(APPEND missing "${path}")
    endif()
endforeach()
if(missing)
    message(FATAL_ERROR "missing from the installation: ${missing}")
endif()

file(READ "${PREFIX}/share/applications/lectorin.desktop" entry)
function(expect_entry_line line)
    string(FIND "${entry}" "\n${line}\n" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "the desktop entry lacks the line ${line}")
    endif()
endfunction()
expect_entry_line("Exec=lectorin %u")
expect_entry_line("MimeType=x-scheme-handler/x-man-page;x-scheme-handler/info;")
expect_entry_line("Icon=lectorin")

# The installed tool runs from the prefix.
execute_process(COMMAND "${PREFIX}/bin/lectorin-cli" --version RESULT_VARIABLE status OUTPUT_VARIABLE version)
if(NOT status EQUAL 0 OR NOT version MATCHES "^Lectorin ")
    message(FATAL_ERROR "the installed lectorin-cli does not run: ${status} ${version}")
endif()
message(STATUS "installed ${PREFIX}: ${version}")
