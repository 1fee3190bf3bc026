# Installed documentation and metadata, and the Debian package that `cpack -G DEB` (or the
# `package` target) builds from the install tree.
include(GNUInstallDirs)

set(POLYVANE_PROJECT_URL "https://polyvane.example.org" CACHE STRING
    "Public home of the project: the AppStream homepage and the base of its screenshot's address")

# AppStream names a component by the reversed domain of its home.
set(POLYVANE_APPSTREAM_ID "org.example.polyvane" CACHE STRING "AppStream component ID")

# "Tue, 08 Dec 2026 ..." -> 2026-12-08
string(REGEX MATCH "^[A-Za-z]+, ([0-9][0-9]) ([A-Za-z]+) ([0-9]+)" _ "${POLYVANE_RELEASE_STAMP}")
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months "${CMAKE_MATCH_2}" month)
math(EXPR month "${month} + 1")
if(month LESS 10)
    set(month 0${month})
endif()
set(POLYVANE_RELEASE_DATE "${CMAKE_MATCH_3}-${month}-${CMAKE_MATCH_1}")

set(linux ${PROJECT_SOURCE_DIR}/resources/linux)
configure_file(${linux}/polyvane.metainfo.xml.in ${PROJECT_BINARY_DIR}/polyvane.metainfo.xml @ONLY)
configure_file(${linux}/copyright ${PROJECT_BINARY_DIR}/copyright @ONLY)
configure_file(${linux}/changelog.in ${PROJECT_BINARY_DIR}/changelog @ONLY)

# Manual pages go in compressed, as Debian's policy asks.
find_program(POLYVANE_GZIP gzip)
set(POLYVANE_MAN_PAGES polyvane polyvane-cli)
foreach(page ${POLYVANE_MAN_PAGES})
    set(source ${PROJECT_SOURCE_DIR}/docs/man/${page}.1)
    if(POLYVANE_GZIP)
        set(man ${PROJECT_BINARY_DIR}/man/${page}.1.gz)
        add_custom_command(OUTPUT ${man}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
            COMMAND ${POLYVANE_GZIP} -9 -n -c ${source} > ${man}
            DEPENDS ${source})
        list(APPEND POLYVANE_MAN_FILES ${man})
    else()
        list(APPEND POLYVANE_MAN_FILES ${source})
    endif()
endforeach()
# A package of its own making (no Debian revision) carries its changelog as changelog.gz.
set(POLYVANE_CHANGELOG ${PROJECT_BINARY_DIR}/changelog)
if(POLYVANE_GZIP)
    set(POLYVANE_CHANGELOG ${PROJECT_BINARY_DIR}/changelog.gz)
    add_custom_command(OUTPUT ${POLYVANE_CHANGELOG}
        COMMAND ${POLYVANE_GZIP} -9 -n -c ${PROJECT_BINARY_DIR}/changelog > ${POLYVANE_CHANGELOG}
        DEPENDS ${PROJECT_BINARY_DIR}/changelog)
endif()
add_custom_target(polyvane-man ALL DEPENDS ${POLYVANE_MAN_FILES} ${POLYVANE_CHANGELOG})
install(FILES ${POLYVANE_MAN_FILES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_BINARY_DIR}/copyright ${POLYVANE_CHANGELOG} DESTINATION ${CMAKE_INSTALL_DOCDIR})
if(POLYVANE_BUILD_GUI)
    install(FILES ${PROJECT_BINARY_DIR}/polyvane.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
            RENAME ${POLYVANE_APPSTREAM_ID}.metainfo.xml)
endif()

set(CPACK_PACKAGE_NAME polyvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Polyvane developers")
set(CPACK_PACKAGE_CONTACT "The Polyvane developers <polyvane@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor and viewer for PlayStation 1 TMD models and TIM textures")
set(CPACK_PACKAGE_HOMEPAGE_URL ${POLYVANE_PROJECT_URL})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The summary above is the description's first line; this is the rest.
# Lines stay within 80 characters.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Polyvane shows a TMD model as a wireframe, as solid or textured faces or as a
table of its current primitive, edits primitives and their texture placement,
loads TIM textures and saves the model as a TMD file again. polyvane-cli runs
the same code without a window: it prints, converts and renders models for
build pipelines.
.
Licence: GPL-3.0-or-later.")
# The libraries' packages are found from the programs themselves; the desktop's caches are
# refreshed by the triggers of the packages that own them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The editor's window needs Qt's platform plugins, which no library of it links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)

include(CPack)
