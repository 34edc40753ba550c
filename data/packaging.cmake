# `make package` (cpack) builds a Debian package from the install rules. The shared-library
# dependencies come from dpkg-shlibdeps on the installed binary; what it cannot see is listed here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME typorama)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Typorama developers")
set(CPACK_PACKAGE_CONTACT "The Typorama developers <typorama@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "font sample viewer")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://typorama.example.org/")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# The binary is built with debug information; the package ships it stripped.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Typorama developers <typorama@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The body only: CPack puts the summary above it as the Description's first line.
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Typorama shows a short sample text, mixing Latin letters, hiragana,\n"
    "katakana and kanji, in any installed font, size and style, in a text\n"
    "colour and a background colour typed in decimal or hexadecimal,\n"
    "optionally over a tiled background image.\n"
    "Its user interface is Japanese.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Japanese captions need a Japanese font, and Qt's own texts (context menus, the file
# dialog) their Japanese catalogue; no linked library brings either along.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, qt6-translations-l10n")
# Qt's Wayland platform: with it a Wayland session runs the program natively (Qt picks it
# whenever WAYLAND_DISPLAY answers), with the program's own title bars; without it Qt falls back
# to XWayland, so it is recommended rather than required.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-mincho, qt6-wayland")

include(CPack)
