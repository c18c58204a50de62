# What `cmake --install` puts where, and the Debian package made from the same rules
# (`cpack -G DEB` in a Release build). Installed under a prefix (default /usr/local):
#   bin/ambrelo, bin/ambrelo-thumbnailer
#   share/ambrelo/{templates,help,icons}   found by the program relative to bin/
#   share/ambrelo/samples                  the sample front and back labels
#   share/applications, share/mime/packages, share/thumbnailers, share/icons/hicolor

install(TARGETS ambrelo ambrelo-thumbnailer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(AMBRELO_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/ambrelo)
install(DIRECTORY ${AMBRELO_STOCK_FOLDER}/ DESTINATION ${AMBRELO_INSTALL_DATADIR}/templates
        FILES_MATCHING PATTERN "*.wlt")
install(DIRECTORY ${AMBRELO_SAMPLE_FOLDER}/ DESTINATION ${AMBRELO_INSTALL_DATADIR}/samples
        FILES_MATCHING PATTERN "*.wlp")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/help/ DESTINATION ${AMBRELO_INSTALL_DATADIR}/help
        PATTERN ".gitkeep" EXCLUDE)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/icons/ DESTINATION ${AMBRELO_INSTALL_DATADIR}/icons
        PATTERN ".gitkeep" EXCLUDE)

# The desktop's files name the installed programs by their full paths, which are known only
# when installing (cmake --install --prefix ...), so they are made then.
install(CODE "
    set(AMBRELO_DESKTOPFILES \"$<TARGET_FILE:ambrelo-desktopfiles>\")
    set(AMBRELO_ICON_SOURCE \"${PROJECT_SOURCE_DIR}/data/icons\")
    set(AMBRELO_STAGING \"${CMAKE_BINARY_DIR}/generated/desktop\")
    set(AMBRELO_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
    set(AMBRELO_DATAROOTDIR \"${CMAKE_INSTALL_DATAROOTDIR}\")")
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/installdesktop.cmake)

set(CPACK_PACKAGE_NAME ambrelo)
set(CPACK_PACKAGE_VENDOR Fennbrook)
set(CPACK_PACKAGE_CONTACT "Fennbrook <ambrelo@fennbrook.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "design and print wine-bottle labels")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Ambrelo composes a wine-bottle label from text boxes, shapes, pictures and symbols over a "
    "label template that gives the label's size and where the labels sit on a US-letter sheet, "
    "and prints it onto label stock with a calibrated printer offset.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# The libraries come from dpkg-shlibdeps (the code encoder's among them); Qt's platform and image
# plugins, the fonts that stand in for the Windows faces files name, and OCR-B, the face of the
# digits under retail codes, are loaded at run time and are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-image-formats-plugins, fonts-liberation, fonts-ocr-b")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, shared-mime-info, desktop-file-utils, hicolor-icon-theme, xdg-utils")
include(CPack)
