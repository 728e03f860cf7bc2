# The release files, made by CPack: a Debian package from the Linux build
# and a zip from the Windows one. The version is the project's.
set(DISOL_MAINTAINER "disol_ideal authors <disol-ideal@users.noreply.github.com>")

set(CPACK_PACKAGE_NAME disol_ideal)
set(CPACK_PACKAGE_VENDOR "the disol_ideal authors")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "boiling diagram of an ideal two-component solution")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)

set(generated ${CMAKE_BINARY_DIR}/generated)

if(WIN32)
    # Text files as Windows' own: CR LF line ends, after `start`.
    function(write_windows_text from to start)
        file(READ ${from} text)
        string(REPLACE "\n" "\r\n" text "${text}")
        file(WRITE ${to} "${start}${text}")
    endfunction()
    configure_file(${PROJECT_SOURCE_DIR}/docs/LEEME.txt.in ${generated}/LEEME.lf @ONLY)
    # A byte order mark, so that every Notepad reads the accents as UTF-8.
    string(ASCII 239 187 191 bom)
    write_windows_text(${generated}/LEEME.lf ${generated}/LEEME.txt "${bom}")
    write_windows_text(${PROJECT_SOURCE_DIR}/LICENSE ${generated}/LICENSE.txt "")
    install(FILES ${generated}/LEEME.txt ${generated}/LICENSE.txt DESTINATION .)

    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME disol_ideal-${PROJECT_VERSION}-win32)
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
    # Manual pages and documents, compressed as Debian expects.
    set(docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/disol-ideal)
    configure_file(${PROJECT_SOURCE_DIR}/docs/disol_ideal.1.in ${generated}/en/disol_ideal.1 @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/docs/disol_ideal.es.1.in ${generated}/es/disol_ideal.1 @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.Debian.in
                   ${generated}/changelog.Debian @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/CHANGELOG.md ${generated}/changelog COPYONLY)
    set(compressed)
    foreach(file en/disol_ideal.1 es/disol_ideal.1 changelog changelog.Debian)
        add_custom_command(OUTPUT ${generated}/${file}.gz
            COMMAND gzip -9n -c ${generated}/${file} > ${generated}/${file}.gz
            DEPENDS ${generated}/${file}
            VERBATIM)
        list(APPEND compressed ${generated}/${file}.gz)
    endforeach()
    add_custom_target(documents ALL DEPENDS ${compressed})
    install(FILES ${generated}/en/disol_ideal.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${generated}/es/disol_ideal.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/es/man1)
    install(FILES ${generated}/changelog.gz ${generated}/changelog.Debian.gz
                  ${PROJECT_SOURCE_DIR}/packaging/copyright
            DESTINATION ${docdir})
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/disol-ideal.lintian-overrides
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME disol-ideal)

    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEBIAN_PACKAGE_NAME disol-ideal)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${DISOL_MAINTAINER})
    set(CPACK_DEBIAN_PACKAGE_SECTION science)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    # The shared libraries come from dpkg-shlibdeps; gnuplot is asked for here.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "gnuplot-qt | gnuplot-x11 | gnuplot-nox")
    set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"For thermodynamics classes: given the boiling temperatures of two pure
liquids and their latent heats of vaporisation over R, the tool writes
the table of the boiling diagram of their ideal solution (liquid and
vapour lines, temperature against composition) and draws it with
gnuplot. Its dialogue is in Spanish.")
endif()

include(CPack)
