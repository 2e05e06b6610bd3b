# SPDX-License-Identifier: GPL-3.0-or-later
# The tests that start the web engine. Chromium inside libQt6WebEngineCore frees some of its objects through
# a base type of another size, which AddressSanitizer reports as new-delete-type-mismatch on every page load;
# that one check is turned off for these tests only, everything else of ASan, LSan and UBSan stays on.
# CMake 3.25 cannot set properties of tests made in another folder, and CTest reads a folder's include files
# before its tests, so the included script wraps add_test and sets the property as each test is added.
set(lectorin_webengine_tests tst_webengine tst_browsermodel tst_helpview tst_windows tst_pagepreview)
set(lectorin_webengine_script ${CMAKE_CURRENT_BINARY_DIR}/sanitizers/webengine.cmake)
file(WRITE ${lectorin_webengine_script}
     "# Wrapping add_test twice would make it call itself; the marker command guards against that.\n"
     "if(NOT COMMAND lectorin_add_test_is_wrapped)\n"
     "    set(lectorin_webengine_tests ${lectorin_webengine_tests})\n"
     "    macro(lectorin_add_test_is_wrapped)\n"
     "    endmacro()\n"
     "    function(add_test name)\n"
     "        _add_test(\${ARGV})\n"
     "        list(FIND lectorin_webengine_tests \${name} position)\n"
     "        if(NOT position EQUAL -1)\n"
     "            set_tests_properties(\${name} PROPERTIES ENVIRONMENT_MODIFICATION\n"
     "                \"ASAN_OPTIONS=string_append::new_delete_type_mismatch=0\")\n"
     "        endif()\n"
     "    endfunction()\n"
     "endif()\n")
foreach(folder web browser help ui)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${folder})
        set_property(DIRECTORY ${folder} APPEND PROPERTY TEST_INCLUDE_FILES ${lectorin_webengine_script})
    endif()
endforeach()
