# The Debian package of the two programs (brelin and brelin-cli, with the desktop entry and the
# icon), made by CPack from the install rules: `cpack -G DEB` in the build folder gives
# brelin_VERSION_ARCH.deb. The libraries it needs are found by dpkg-shlibdeps (Debian's Qt
# carries its X11 platform plugin in libqt6gui6). Recommended for the look: Qt's French texts
# for the file dialog, and fonts of the widths the windows were laid out for.
# The manual pages, copyright, changelog and AppStream metadata of the package.
add_subdirectory(packaging)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brelin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Brelin)
set(CPACK_PACKAGE_CONTACT "Brelin <brelin@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "puts the records of a GEDCOM file in order of their numbers")
set(CPACK_PACKAGE_DESCRIPTION
    "Brelin writes the records of a GEDCOM genealogy file back in ascending order of their \
numbers (header, individuals, families, sources, notes, trailer), so that the file can be \
imported into Arbre Généalogique. The desktop program brelin has a French interface; \
brelin-cli does the same from a terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")

include(CPack)
