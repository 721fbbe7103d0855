# Installation layout, the Debian package, and the helper that takes the
# README's screenshots.
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

install(FILES README.md CHANGELOG.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The pages and pictures the README links to, at the same relative place.
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs
        FILES_MATCHING PATTERN "*.md" PATTERN "*.png")

# Desktop integration exists only where desktops follow freedesktop.org.
set(KORVEL_ICON_SIZES 16 22 24 32 48 64 128 256)
if(UNIX AND NOT APPLE)
    install(FILES packaging/korvel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

    # The theme icons are scaled from the window icon at build time.
    add_subdirectory(tools/iconsizes)
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
endif()

# The README's screenshots (scripts/screenshots.sh); not installed.
add_subdirectory(tools/screenshots)

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
    set(korvel_qt ">= ${Qt5Core_VERSION_MAJOR}.${Qt5Core_VERSION_MINOR}")
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "libqt5widgets5 (${korvel_qt}), libqt5gui5 (${korvel_qt}), libqt5core5a (${korvel_qt}), libqt5serialport5 (${korvel_qt}), libstdc++6, libgcc-s1, libc6, ${korvel_font_depends}")
endif()

include(CPack)

# ---- Package check ------------------------------------------------------------

# Checked in release-like builds only: a package of sanitizer-instrumented
# programs is nothing anyone would ship.
if(KORVEL_BUILD_TESTS AND NOT KORVEL_SANITIZE AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
    find_program(KORVEL_DPKG_DEB dpkg-deb)
    if(KORVEL_DPKG_DEB)
        if(TARGET korvel-devsim)
            set(korvel_with_devsim 1)
        else()
            set(korvel_with_devsim 0)
        endif()
        list(JOIN KORVEL_ICON_SIZES " " korvel_icon_sizes_text)
        add_test(NAME packaging_test
                 COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/packaging_test.sh
                         ${CMAKE_BINARY_DIR} ${PROJECT_VERSION} ${korvel_with_devsim}
                         "${korvel_icon_sizes_text}")
        set_tests_properties(packaging_test PROPERTIES TIMEOUT 180)
    endif()
endif()
