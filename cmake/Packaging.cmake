# Debian package of both programs: `cpack -G DEB` in a build directory; scripts/check-deb.sh checks it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pomuru-cipher)
if(PROJECT_VERSION_PATCH STREQUAL "")
    set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0)
else()
    set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
endif()
set(CPACK_PACKAGE_VENDOR "${POMURU_AUTHORS}")
set(CPACK_PACKAGE_CONTACT "${POMURU_AUTHORS} <pomuru@users.noreply.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert a file into another by a reversible byte rule")
# Line breaks are kept as written: Debian wants description lines under 80 columns.
set(CPACK_PACKAGE_DESCRIPTION "\
ぽむるの暗号 (Pomuru Cipher) combines the bytes at positions chosen by a
counting rule with a number you enter, optionally also with a pseudo-random
value that depends only on the settings and the position. Converting the
output again with the same settings restores the input. It hides data from
casual eyes but is not encryption.
This package holds the desktop program, with a Japanese interface, and the
command-line tool pomuru-cipher-cli.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Qt and the C++ runtime come from shlibdeps; it cannot see what is loaded by name at run time:
# a font with Japanese glyphs and Qt's own Japanese texts (standard buttons, file chooser).
# IPA P Gothic first: with its metrics the dialogs come out near their designed size, while
# Noto Sans CJK's taller lines make them 40 % taller.
# The X11 platform plugin ships in libqt6gui6; Wayland's is a separate package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic | fonts-noto-cjk, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")

# Debian puts the licence of a package here.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME} RENAME copyright)

include(CPack)
