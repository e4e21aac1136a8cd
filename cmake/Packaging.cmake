# Desktop integration, manual pages and the Debian package.
install(FILES data/desktop/kx4toolbox.desktop data/desktop/kx4toolbox-script.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/desktop/kx4toolbox.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES data/desktop/kx4toolbox-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME kx4toolbox.xml)
install(FILES data/man/kx4toolbox.1 data/man/kx4reg.1 data/man/kx4studio.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME kx4toolbox)
set(CPACK_PACKAGE_VENDOR "KX4ToolBox developers")
set(CPACK_PACKAGE_CONTACT "KX4ToolBox developers <kx4toolbox@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Frame for KestrixStudio projects and language scripts")
set(CPACK_PACKAGE_DESCRIPTION
    "Opens registered KestrixStudio projects in the studio's project explorer and runs script files "
    "that copy, update, delete and rename index groups and add languages, unattended or from a menu.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
# dpkg-shlibdeps names the libraries' Debian packages; the platform plugins and the font are
# loaded at run time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${KX4_COMPONENT_DIR})
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-translations-l10n")
include(CPack)
