# Installation layout and the Debian package.
#
#   /usr/bin/korrivan (and korrivan-cli when it is built)
#   /usr/share/korrivan/            help file and LAS standards documents
#   /usr/share/applications/        desktop entry
#   /usr/share/icons/hicolor/       application icon, scalable and PNG sizes
#   /usr/share/mime/packages/       the text/x-las MIME type
#   /usr/share/metainfo/            AppStream metadata
#   /usr/share/man/man1/            manual pages, gzipped
#   /usr/share/doc/korrivan/        copyright and changelog
#
# Build the package with scripts/build-package, or by hand:
#   cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release && cmake --build build && (cd build && cpack -G DEB)

include(GNUInstallDirs)

set(KORRIVAN_APP_ID org.korrivan.Korrivan)
set(KORRIVAN_DATA_DIR ${CMAKE_INSTALL_DATADIR}/korrivan)
set(KORRIVAN_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# gzip -9n: maximum compression and no name or time stamp in the header, as
# Debian asks of manual pages and changelogs.
find_program(KORRIVAN_GZIP gzip REQUIRED)
function(korrivan_gzip_file source output)
  add_custom_command(
    OUTPUT "${output}"
    COMMAND sh -c "\"$0\" -9n -c \"$1\" > \"$2\"" "${KORRIVAN_GZIP}" "${source}" "${output}"
    DEPENDS "${source}"
    VERBATIM)
endfunction()

set(korrivan_packaged_files)
foreach(page korrivan korrivan-cli)
  korrivan_gzip_file(${CMAKE_SOURCE_DIR}/man/${page}.1 ${CMAKE_BINARY_DIR}/packaging/${page}.1.gz)
  list(APPEND korrivan_packaged_files ${CMAKE_BINARY_DIR}/packaging/${page}.1.gz)
endforeach()
korrivan_gzip_file(${KORRIVAN_PACKAGING_DIR}/changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
list(APPEND korrivan_packaged_files ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_target(korrivan_packaging_files ALL DEPENDS ${korrivan_packaged_files})

# The program, its help and documents.
install(TARGETS korrivan RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET korrivan-window)
  install(TARGETS korrivan-window RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/korrivan)
endif()
install(FILES ${KORRIVAN_DOCUMENT_SOURCES} DESTINATION ${KORRIVAN_DATA_DIR})
if(KORRIVAN_HAVE_LAS3_PDF)
  install(FILES "${KORRIVAN_LAS3_PDF}" DESTINATION ${KORRIVAN_DATA_DIR})
endif()
install(FILES ${CMAKE_BINARY_DIR}/packaging/korrivan.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The pipeline tool is defined by a folder that may be added after this file
# is read: decide at the end of the top-level directory.
function(korrivan_install_cli)
  if(TARGET korrivan-cli)
    install(TARGETS korrivan-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${CMAKE_BINARY_DIR}/packaging/korrivan-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${CMAKE_SOURCE_DIR}/docs/cli.md ${CMAKE_SOURCE_DIR}/docs/scale.md
                  ${CMAKE_SOURCE_DIR}/docs/cli-jsonl-schema.json DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/korrivan)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL korrivan_install_cli)

# Desktop integration.
install(FILES ${KORRIVAN_PACKAGING_DIR}/korrivan.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KORRIVAN_PACKAGING_DIR}/korrivan-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME korrivan.xml)
install(FILES ${KORRIVAN_PACKAGING_DIR}/${KORRIVAN_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${KORRIVAN_PACKAGING_DIR}/icons/korrivan.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${KORRIVAN_PACKAGING_DIR}/icons/korrivan-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME korrivan.png)
endforeach()

# Debian's package documents.
install(FILES ${KORRIVAN_PACKAGING_DIR}/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/korrivan)

# The icon PNGs are committed; after a change to korrivan.svg, run
# `cmake --build BUILD --target korrivan_update_icons` to render them again.
find_package(Qt6 QUIET COMPONENTS Gui Svg)
if(TARGET Qt6::Svg AND (NOT DEFINED KORRIVAN_BUILD_GUI OR KORRIVAN_BUILD_GUI))
  add_executable(korrivan_render_icons EXCLUDE_FROM_ALL ${KORRIVAN_PACKAGING_DIR}/render_icons.cpp)
  target_link_libraries(korrivan_render_icons PRIVATE Qt6::Gui Qt6::Svg)
  korrivan_set_warnings(korrivan_render_icons)
  add_custom_target(korrivan_update_icons
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:korrivan_render_icons> ${KORRIVAN_PACKAGING_DIR}/icons/korrivan.svg
            ${KORRIVAN_PACKAGING_DIR}/icons
    DEPENDS korrivan_render_icons
    COMMENT "Rendering the icon PNGs into packaging/icons"
    VERBATIM)
endif()

# CPack: korrivan_<version>_amd64.deb with its Depends computed by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korrivan)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Korrivan developers")
set(CPACK_PACKAGE_CONTACT "Korrivan developers <korrivan@users.noreply.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "certify LAS well-log files against the Log ASCII Standard")
# The extended description, wrapped for 80-column terminals.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Korrivan checks LAS well-log files of versions 1.2, 2.0 and 3.0 against"
  "the rules of the Log ASCII Standard: file layout and line ends, the"
  "~Version and ~Well sections, section titles, header-line syntax,"
  "STRT/STOP/STEP against the index, the data against the column"
  "definitions, associations and array channels. It writes a certification"
  "report that says PASSED or FAILS with the error text of every failed"
  "check, in a desktop window or from the command line for batch work.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window asks for Arial and Courier New; these metric-compatible faces stand in for them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2")
include(CPack)

# The package test: a separate Release build in the build folder, packaged,
# unpacked and checked (tests/package/check_package.sh).
if(BUILD_TESTING AND KORRIVAN_BUILD_TESTS)
  add_test(NAME package_deb
           COMMAND ${CMAKE_SOURCE_DIR}/tests/package/check_package.sh ${CMAKE_SOURCE_DIR}
                   ${CMAKE_BINARY_DIR}/package-test)
  set_tests_properties(package_deb PROPERTIES LABELS package TIMEOUT 1800)
endif()
