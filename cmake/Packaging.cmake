# What a desktop installation holds beyond the programs, the menu entry and the icon: the AppStream
# metainfo and the man pages; and the Debian package of it all (cpack -G DEB, or ./package). The
# version is the project's, the release date TOMARO_RELEASE_DATE beside it.

set(TOMARO_SCREENSHOT_URL "https://tomaro.example.org/screenshots" CACHE STRING
    "Web folder where docs/screenshots is published, for the screenshots of the AppStream metainfo")

configure_file(${CMAKE_SOURCE_DIR}/src/gui/resources/org.tomaro.Tomaro.metainfo.xml.in
    ${CMAKE_BINARY_DIR}/org.tomaro.Tomaro.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/org.tomaro.Tomaro.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Man pages are installed compressed, as Debian keeps them.
set(man_pages)
foreach(page tomaro.1 tomaro-analyze.1)
    set(compressed ${CMAKE_BINARY_DIR}/man/${page}.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/docs/man/${page}
                ${CMAKE_BINARY_DIR}/man/${page}
        COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/man/${page}
        DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/${page}
        VERBATIM)
    list(APPEND man_pages ${compressed})
endforeach()
add_custom_target(tomaro-man-pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Debian's documentation of the package: the machine-readable copyright and the changelog of this
# native package (its one entry dated with the release).
execute_process(COMMAND date -R -u -d "${TOMARO_RELEASE_DATE} 12:00"
    OUTPUT_VARIABLE TOMARO_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE)
configure_file(${CMAKE_SOURCE_DIR}/docs/debian/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog
    @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.gz
    COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/debian/changelog
    DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog
    VERBATIM)
add_custom_target(tomaro-changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.gz)
install(FILES ${CMAKE_SOURCE_DIR}/docs/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tomaro)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tomaro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tomaro developers <tomaro@example.org>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # tomaro_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)   # the libraries' packages, found by dpkg-shlibdeps
# Loaded at run time, so dpkg-shlibdeps cannot see them: the window's platform plugins; the SVG
# icon and Qt's own Russian texts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6svg6, qt6-translations-l10n")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tuner for acoustic drums")
# The first line of the package's description is the summary; CPack indents these lines.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tomaro waits for a drum strike in front of a microphone, records one second
of it, finds the frequency of its main tone, names the note with its
deviation and compares it with the references set up for every drum of the
kit: the fundamental of each drum and the overtone targets of its batter and
resonant heads. Strikes can also be read from WAV files or imported from
FLAC, Ogg, MP3, AIFF and WAV files of any sample format; tomaro-analyze runs
the same analysis from the command line. The user interface is in Russian
or English.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
