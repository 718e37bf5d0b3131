# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: `cpack -G DEB` in a build folder makes
# corvale_<version>_amd64.deb from everything the install rules install.
# Its Depends come from dpkg-shlibdeps.

set(CORVALE_PACKAGE_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/corvale)
set(CORVALE_CHANGELOG ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${CORVALE_CHANGELOG}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/debian/changelog > ${CORVALE_CHANGELOG}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/debian/changelog)
add_custom_target(corvale_changelog ALL DEPENDS ${CORVALE_CHANGELOG})
install(FILES packaging/debian/copyright ${CORVALE_CHANGELOG} DESTINATION ${CORVALE_PACKAGE_DOCDIR})

set(CPACK_PACKAGE_NAME corvale)
set(CPACK_PACKAGE_VENDOR "Corvale developers")
set(CPACK_PACKAGE_CONTACT "Corvale developers <corvale@corvale.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find a business by phone number or address and keep its map")
set(CPACK_PACKAGE_DESCRIPTION [=[
Corvale looks up a US business phone number, or a US or Canadian street
address, with an outside lookup service, shows the company, address, line
type and position it answers with, and opens the service's map page in a
map window. The shown map can be saved as a JPEG file and printed through
a print preview or handed to a printing program of the user's choice.

The package also holds corvale-lookup, the lookup client for scripts, and
corvale-sample-service, a stand-in lookup service with fictional places for
trying the program offline.]=])
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.corvale.example/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The web link opens through xdg-open; qt6-wayland lets the windows run on a
# Wayland desktop without XWayland. "Print Map" prints through Qt's print
# preview (CUPS); cups-client brings lp for CORVALE_PRINT_PROGRAM=lp.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS cups-client)
include(CPack)
