# The Debian package of the two programs, made by CPack from the install rules: `cpack -G DEB` in
# the build folder gives brelin_VERSION_ARCH.deb. Beside brelin and brelin-cli it holds what a
# package of Debian's own holds: the desktop entry, the icons of the hicolor theme, the AppStream
# metadata, French manual pages, the copyright and the changelog (packaging/).
# The libraries it needs are found by dpkg-shlibdeps (Debian's Qt carries its X11 platform plugin
# in libqt6gui6). Recommended for the look: Qt's French texts for the file dialog, and fonts of
# the widths the windows were laid out for.
add_subdirectory(packaging)

# The programs are hardened as dpkg-buildflags hardens Debian's own: checked buffer functions in
# optimised builds, and relocations made read-only before the program starts. Not with the
# sanitizers, which replace those functions with their own checks.
if(NOT BRELIN_SANITIZE AND NOT BRELIN_FUZZ)
    target_compile_definitions(brelin_warnings INTERFACE
        $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)
    target_link_options(brelin_warnings INTERFACE LINKER:-z,relro,-z,now)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brelin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Brelin)
# The same contact as in the changelog, the copyright and the AppStream metadata.
set(CPACK_PACKAGE_CONTACT "Brelin <contact@brelin.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "puts the records of a GEDCOM file in order of their numbers")
# Lines of at most 80 characters; an empty line separates paragraphs.
set(CPACK_PACKAGE_DESCRIPTION [=[
Brelin rewrites a GEDCOM genealogy file with its records in ascending order
of their numbers (header, individuals, families, sources, notes, trailer),
so that a genealogy application that needs that order, such as Arbre
Généalogique, can import it. Every other line is copied as it is, except
that lines longer than 255 characters are cut and listed in a log.

This package holds the desktop program brelin, whose window is in French,
and brelin-cli, which does the same work from a terminal.

Brelin réécrit un fichier généalogique GEDCOM avec ses enregistrements en
ordre croissant de leurs numéros (en-tête, individus, familles, sources,
notes, fin), pour qu'un logiciel de généalogie qui exige cet ordre, comme
Arbre Généalogique, puisse l'importer. Les autres lignes sont recopiées
telles quelles, sauf les lignes de plus de 255 caractères, qui sont coupées
et notées dans un journal.

Ce paquet contient le programme de bureau brelin, en français, et
brelin-cli, qui fait le même travail dans un terminal.
]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                               GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")

include(CPack)
