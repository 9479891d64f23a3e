# Installing the programs and their documents, and the Debian package
# (`cpack -G DEB` in the build folder).
foreach(_prog keymora keymora-cli)
  if(TARGET ${_prog})
    install(TARGETS ${_prog} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

set(_docdir ${CMAKE_INSTALL_DATADIR}/doc/keymora)
configure_file(${PROJECT_SOURCE_DIR}/data/debian/copyright.in ${CMAKE_BINARY_DIR}/copyright @ONLY)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${CMAKE_BINARY_DIR}/copyright DESTINATION ${_docdir})
# Debian wants its changelog compressed reproducibly.
set(_changelog ${CMAKE_BINARY_DIR}/changelog.Debian.gz)
add_custom_command(OUTPUT ${_changelog}
  COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/data/debian/changelog > ${_changelog}
  DEPENDS ${PROJECT_SOURCE_DIR}/data/debian/changelog VERBATIM)
add_custom_target(keymora_changelog ALL DEPENDS ${_changelog})
install(FILES ${_changelog} DESTINATION ${_docdir})

set(CPACK_PACKAGE_NAME keymora)
set(CPACK_PACKAGE_VENDOR Orrindale)
set(CPACK_PACKAGE_CONTACT "Orrindale <keymora@orrindale.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "password keeper for encrypted data files")
set(CPACK_PACKAGE_DESCRIPTION
    "Keymora keeps passwords and other private records in data files that exist\n"
    "on disk only in encrypted form: a tree of categories and entries per file,\n"
    "several files open at once, a password generator, a clipboard that clears\n"
    "itself, search, import, merging and shared files. keymora-cli does the same\n"
    "from a terminal or a script.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGE_HOMEPAGE_URL ${KEYMORA_HOMEPAGE})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Library dependencies come from the binaries themselves (dpkg-shlibdeps);
# the icon theme holds the icon's folders, the platform theme makes the Qt
# program look native on GNOME.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "hicolor-icon-theme")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-gtk-platformtheme")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_GENERATOR DEB)
include(CPack)
