# Part of the installation (cmake/install.cmake sets the AMBRELO_ variables): makes the desktop
# entry, MIME package, thumbnailer entry and theme icons for the programs' installed folder and
# installs them under share/. Installed straight onto this machine (no DESTDIR, not a package),
# it then brings the desktop's MIME, application and icon caches up to date, so the menu and the
# file manager know the program at once; a package leaves that to the system's triggers.

set(bin "${CMAKE_INSTALL_PREFIX}/${AMBRELO_BINDIR}")
set(share "${CMAKE_INSTALL_PREFIX}/${AMBRELO_DATAROOTDIR}")
file(REMOVE_RECURSE "${AMBRELO_STAGING}")
execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen
            "${AMBRELO_DESKTOPFILES}" "${bin}" "${AMBRELO_ICON_SOURCE}" "${AMBRELO_STAGING}"
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "Could not make the desktop entry, MIME package and icons (${result})")
endif()
file(INSTALL "${AMBRELO_STAGING}/" DESTINATION "${share}")

if("$ENV{DESTDIR}" STREQUAL "")
    foreach(step "update-mime-database;${share}/mime"
                 "update-desktop-database;${share}/applications"
                 "gtk-update-icon-cache;-q;-t;-f;${share}/icons/hicolor")
        list(POP_FRONT step tool)
        find_program(found_${tool} ${tool})
        if(found_${tool})
            execute_process(COMMAND ${found_${tool}} ${step} RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
            if(NOT result EQUAL 0)
                message(STATUS "${tool} did not finish (${result}); the desktop catches up at the next login")
            endif()
        endif()
    endforeach()
endif()
