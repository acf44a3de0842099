# Installation and packaging rules: the program with its launcher, desktop entry and icons,
# the command-line tools, the vocabularies, and a Debian package made by CPack.
include(GNUInstallDirs)

set(SORELLAN_DATADIR ${CMAKE_INSTALL_DATADIR}/sorellan)
set(SORELLAN_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/sorellan)
set(SORELLAN_LIBEXECDIR ${CMAKE_INSTALL_LIBEXECDIR}/sorellan)
set(SORELLAN_PACKAGE_MAINTAINER "Sorellan developers <sorellan@example.org>"
    CACHE STRING "Maintainer named in the Debian package")
set(SORELLAN_DEB_VERSION ${PROJECT_VERSION}-1)

install(TARGETS voca sorellan-find RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The launcher and sorellan-find find the vocabularies and the script that copies them into
# a user's working directory from where they lie themselves, for any install prefix.
file(RELATIVE_PATH SORELLAN_BIN_TO_DATA ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/sorellan)
file(RELATIVE_PATH SORELLAN_BIN_TO_PREPARE ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_LIBEXECDIR}/sorellan/prepare-vocabularies)
install(PROGRAMS packaging/prepare-vocabularies.sh DESTINATION ${SORELLAN_LIBEXECDIR}
        RENAME prepare-vocabularies)
# A sorellan-find run from this build tree, not installed, takes them from the source tree.
target_compile_definitions(sorellan-find PRIVATE
  SORELLAN_VERSION="${PROJECT_VERSION}"
  SORELLAN_BIN_TO_DATA="${SORELLAN_BIN_TO_DATA}"
  SORELLAN_BIN_TO_PREPARE="${SORELLAN_BIN_TO_PREPARE}"
  SORELLAN_BUILD_DIR="${PROJECT_BINARY_DIR}"
  SORELLAN_SOURCE_DATA_DIR="${PROJECT_SOURCE_DIR}/data"
  SORELLAN_SOURCE_PREPARE="${PROJECT_SOURCE_DIR}/packaging/prepare-vocabularies.sh")

# Completion of the tools' options, where bash-completion loads it when first needed
# (Debian: /usr/share/bash-completion/completions).
install(FILES packaging/completions/sorellan-find packaging/completions/voca
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# With the checksums of their earlier versions: the launcher knows its own old copies by them.
install(FILES data/0.voca data/17.voca data/vocabulary-versions.sha256 DESTINATION ${SORELLAN_DATADIR})
# The data's own README and licence travel with it.
install(FILES data/README.md data/LICENSE-vocabulary packaging/copyright
        DESTINATION ${SORELLAN_DOCDIR})

# Manual pages and the package's changelog, compressed as Debian keeps them; -n leaves the
# time out, so that two builds give the same bytes.
set(SORELLAN_MAN_PAGES sorellan voca sorellan-find)
configure_file(packaging/changelog.in ${PROJECT_BINARY_DIR}/packaging/changelog.Debian @ONLY)
set(SORELLAN_GZIPPED ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz
  COMMAND gzip -9n -c changelog.Debian > changelog.Debian.gz
  DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.Debian
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/packaging VERBATIM)
foreach(page IN LISTS SORELLAN_MAN_PAGES)
  set(gz ${PROJECT_BINARY_DIR}/packaging/${page}.1.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/${page}.1 > ${gz}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${page}.1 VERBATIM)
  list(APPEND SORELLAN_GZIPPED ${gz})
  if(page STREQUAL "sorellan" AND NOT LEXIVANT2_BUILD_WINDOW)
    continue()
  endif()
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(sorellan_packaging_files ALL DEPENDS ${SORELLAN_GZIPPED})
install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz DESTINATION ${SORELLAN_DOCDIR})

if(LEXIVANT2_BUILD_WINDOW)
  install(TARGETS lexivant2 RUNTIME DESTINATION ${SORELLAN_LIBEXECDIR})

  file(RELATIVE_PATH SORELLAN_BIN_TO_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}
       ${CMAKE_INSTALL_FULL_LIBEXECDIR}/sorellan/lexivant2)
  configure_file(packaging/sorellan.in ${PROJECT_BINARY_DIR}/packaging/sorellan @ONLY)
  install(PROGRAMS ${PROJECT_BINARY_DIR}/packaging/sorellan DESTINATION ${CMAKE_INSTALL_BINDIR})

  install(FILES packaging/sorellan.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  foreach(size IN ITEMS 16 32 48 128)
    install(FILES src/res/lexivant2-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME sorellan.png)
  endforeach()
  install(FILES src/res/lexivant2.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME sorellan.svg)

  if(LEXIVANT2_BUILD_TESTS)
    # Installs into a scratch root and starts the installed launcher; needs no root.
    add_test(NAME install
             COMMAND bash ${PROJECT_SOURCE_DIR}/tests/install-test.sh ${PROJECT_BINARY_DIR})
    set_tests_properties(install PROPERTIES LABELS install TIMEOUT 120)
  endif()
endif()

# The Debian package: cpack -G DEB in a build configured with CMAKE_INSTALL_PREFIX=/usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sorellan)
set(CPACK_PACKAGE_VENDOR "Sorellan developers")
set(CPACK_PACKAGE_CONTACT ${SORELLAN_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "English-Chinese lookup of general and chemistry words")
set(CPACK_PACKAGE_DESCRIPTION
"Sorellan looks up English and Chinese words in two vocabularies: a general
one, and one of chemistry and chemical engineering. Type one or more
keywords and see every entry that holds all of them, general matches split
into exact and expanded ones, technical matches in a list of their own.

The package holds the lookup window (started from the desktop's menu or as
sorellan), the command-line lookup sorellan-find, the voca tool for the
vocabulary files, and both vocabularies, derived from CC-CEDICT.")
set(CPACK_DEBIAN_PACKAGE_NAME sorellan)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${SORELLAN_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window shows Chinese text: without a font that has the glyphs it shows boxes.
# Qt's own texts (copy, paste, ...) follow the desktop's language only with its translations.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk, qt6-translations-l10n")
# The selection read by a program without a window: wl-paste under Wayland, where Qt reads
# nothing then; xclip for sorellan-find under X11 (the window reads it through Qt there).
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "wl-clipboard, xclip")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
