# Installation layout and the Debian package.
#
#   cmake --install <build> [--prefix /usr]     installs the programs, the
#                                               desktop entry, the icons and
#                                               the documents
#   cpack --config <build>/CPackConfig.cmake    builds korvel_<version>_<arch>.deb

include(GNUInstallDirs)

install(TARGETS korvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET korvel-devsim)
    install(TARGETS korvel-devsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(TARGETS korvelctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/bash-completion/korvelctl DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
# The Russian catalogues, where the programs look from ../share beside bin/.
install(FILES ${KORVEL_QM_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/korvel/translations)

# The Ansible collection korvel.radio, where ansible-core looks for
# collections without configuration (with the prefix /usr).
if(UNIX AND NOT APPLE)
    install(DIRECTORY ansible/ansible_collections/korvel/radio/
            DESTINATION ${CMAKE_INSTALL_DATADIR}/ansible/collections/ansible_collections/korvel/radio
            FILES_MATCHING PATTERN "*.py" PATTERN "*.yml" PATTERN "*.md" PATTERN "__pycache__" EXCLUDE)
endif()

install(FILES README.md CHANGELOG.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The pages and pictures the README links to, at the same relative place.
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs
        FILES_MATCHING PATTERN "*.md" PATTERN "*.png")

# Desktop integration exists only where desktops follow freedesktop.org.
if(UNIX AND NOT APPLE)
    install(FILES packaging/korvel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

    # The theme icons are scaled from the window icon at build time.
    set(korvel_icon_dir ${CMAKE_CURRENT_BINARY_DIR}/icons/hicolor)
    set(korvel_icon_files)
    foreach(size ${KORVEL_ICON_SIZES})
        list(APPEND korvel_icon_files ${korvel_icon_dir}/${size}x${size}/apps/korvel.png)
    endforeach()
    add_custom_command(
        OUTPUT ${korvel_icon_files}
        COMMAND korvel-iconsizes ${CMAKE_CURRENT_SOURCE_DIR}/resources/APP.png
                ${korvel_icon_dir} korvel ${KORVEL_ICON_SIZES}
        DEPENDS korvel-iconsizes ${CMAKE_CURRENT_SOURCE_DIR}/resources/APP.png
        COMMENT "Scaling the application icon to the icon theme sizes"
        VERBATIM)
    add_custom_target(korvel_icons ALL DEPENDS ${korvel_icon_files})
    foreach(size ${KORVEL_ICON_SIZES})
        install(FILES ${korvel_icon_dir}/${size}x${size}/apps/korvel.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()

    # What Debian's policy asks of every package besides the programs: a
    # manual page for each program, compressed as dh_compress would
    # (gzip -9n, no time stamp), a changelog in Debian's format, and a
    # copyright file in its machine-readable format carrying LICENSE.
    # The Russian pages (UTF-8) go where man-db looks for them under a
    # Russian locale or with man -L ru: man/ru/man1.
    set(korvel_doc_build ${CMAKE_CURRENT_BINARY_DIR}/debian-doc)
    set(korvel_doc_files)
    foreach(program korvel korvel-devsim korvelctl)
        foreach(lang_dir "" "ru/")
            set(page ${CMAKE_CURRENT_SOURCE_DIR}/packaging/man/${lang_dir}${program}.1)
            if(TARGET ${program} AND EXISTS ${page})
                set(page_dir ${korvel_doc_build}/${lang_dir})
                add_custom_command(
                    OUTPUT ${page_dir}${program}.1.gz
                    COMMAND ${CMAKE_COMMAND} -E make_directory ${page_dir}
                    COMMAND ${CMAKE_COMMAND} -E copy ${page} ${page_dir}${program}.1
                    COMMAND gzip -9nf ${page_dir}${program}.1
                    DEPENDS ${page}
                    VERBATIM)
                list(APPEND korvel_doc_files ${page_dir}${program}.1.gz)
                install(FILES ${page_dir}${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/${lang_dir}man1)
            endif()
        endforeach()
    endforeach()
    add_custom_command(
        OUTPUT ${korvel_doc_build}/changelog.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog
                ${korvel_doc_build}/changelog
        COMMAND gzip -9nf ${korvel_doc_build}/changelog
        DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog
        VERBATIM)
    list(APPEND korvel_doc_files ${korvel_doc_build}/changelog.gz)
    add_custom_target(korvel_debian_doc ALL DEPENDS ${korvel_doc_files})
    install(FILES ${korvel_doc_build}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

    # The licence text goes in as the format wants it: every line indented
    # by one space, an empty line written as " .".
    file(READ ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE korvel_license)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
    string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" korvel_license_holder "${korvel_license}")
    set(korvel_license_holder "${CMAKE_MATCH_1}")
    string(REGEX REPLACE "^MIT License\n\n[^\n]*\n\n" "" korvel_license "${korvel_license}")
    string(STRIP "${korvel_license}" korvel_license)
    string(REPLACE "\n\n" "\n.\n" korvel_license "${korvel_license}")
    string(REPLACE "\n" "\n " korvel_license "${korvel_license}")
    file(WRITE ${korvel_doc_build}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Korvel
Comment: The MIT licence, in LICENSE at the root of the sources; Expat is
 this format's name for that text.

Files: *
Copyright: ${korvel_license_holder}
License: Expat
 ${korvel_license}
")
    install(FILES ${korvel_doc_build}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

# A stripped install (cpack strips) also drops the compilers' .comment notes,
# as Debian's own packages do. It comes after the install() rules above, so
# that the programs are in place by then.
if(CMAKE_STRIP AND UNIX AND NOT APPLE)
    foreach(program korvel korvel-devsim korvelctl)
        if(TARGET ${program})
            install(CODE "set(program \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\")
            if(CMAKE_INSTALL_DO_STRIP AND EXISTS \"\${program}\")
                execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment \"\${program}\")
            endif()")
        endif()
    endforeach()
endif()

# ---- Package ----------------------------------------------------------------

set(KORVEL_PACKAGE_MAINTAINER "Korvel developers <korvel@example.org>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_PACKAGE_NAME korvel)
set(CPACK_PACKAGE_VENDOR "Korvel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${KORVEL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "configuration tool for a LoRa radio device on a serial line")
set(CPACK_PACKAGE_DESCRIPTION
"Korvel reads and writes the fourteen parameters and the list of 200
end-device IDs (EIDs) of a LoRa radio device attached through a serial
port, with Modbus RTU transactions. The user interface is in Russian.
The package also carries korvelctl, which reads and writes the same
settings from the command line through files, and korvel-devsim, a
simulated device to rehearse with on a second serial port.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CHECKSUM SHA256)

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    set(CPACK_GENERATOR DEB)
else()
    set(CPACK_GENERATOR ZIP)
endif()

set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KORVEL_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The collection korvel.radio is for Ansible's engine, which the tool does
# not need.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS ansible-core)
# Qt's own texts in the programs' --help (usage, the help and version
# options) in the operator's language.
if(KORVEL_QT STREQUAL "5")
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qttranslations5-l10n)
else()
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
endif()

# The dependencies are the font the window is drawn for and the shared
# libraries the programs load. The window asks for Arial; without an
# Arial-metric font (Liberation Sans) fontconfig falls back to a wider one,
# which cuts texts and EIDs. With dpkg-shlibdeps at hand the libraries are
# read from the binaries, with the minimum versions the Qt and C libraries'
# symbol files demand, and follow the font in the list; without it they are
# spelled out, with Qt no older than the one built against.
set(korvel_font_depends "fonts-liberation2")
find_program(KORVEL_DPKG_SHLIBDEPS dpkg-shlibdeps)
find_program(KORVEL_FILE file)
if(KORVEL_DPKG_SHLIBDEPS AND KORVEL_FILE)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "${korvel_font_depends}")
else()
    set(korvel_qt ">= ${${KORVEL_QT_NS}Core_VERSION_MAJOR}.${${KORVEL_QT_NS}Core_VERSION_MINOR}")
    if(KORVEL_QT STREQUAL "5")
        set(korvel_qt_packages libqt5widgets5 libqt5gui5 libqt5core5a libqt5serialport5 libqt5network5)
    else()
        set(korvel_qt_packages libqt6widgets6 libqt6gui6 libqt6core6 libqt6serialport6 libqt6network6)
    endif()
    list(TRANSFORM korvel_qt_packages APPEND " (${korvel_qt})")
    list(JOIN korvel_qt_packages ", " korvel_qt_depends)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "${korvel_qt_depends}, libstdc++6, libgcc-s1, libc6, ${korvel_font_depends}")
endif()

include(CPack)
