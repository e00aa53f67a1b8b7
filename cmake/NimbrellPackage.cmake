# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: `cpack -G DEB` in a build tree (scripts/package.sh does
# the whole step). Version from the project, dependencies from the programs'
# shared libraries, installed under /usr, programs stripped.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nimbrell)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Nimbrell developers")
set(CPACK_PACKAGE_CONTACT "The Nimbrell developers <developers@nimbrell.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop weather widget for Chinese cities")
set(CPACK_PACKAGE_DESCRIPTION
  "A borderless, partly transparent window on the desktop shows the weather of one
city of the Chinese mainland: today's picture, temperature, description and
wind, and on demand the five following days. A settings window picks the city
from province, city and county lists. The package holds the widget and
nimbrell-scene, its tool for converting and rendering scene files.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The shared-library scan sees neither the libraries the program opens at run
# time (the status-notifier library, OpenSSL, SQLite) nor the certificate store its HTTPS
# forecast source needs.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "ca-certificates, libayatana-appindicator3-1, libsqlite3-0, libssl3")
# Packed relative relocations need a C library that reads them (2.36); the scan
# sees only symbols, not that.
if(NIMBRELL_LINKER_PACKS_RELOCATIONS)
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libc6 (>= 2.36)")
endif()
# The program's windows, menus and message boxes draw with the faces it embeds;
# the whole families serve only characters outside them (text typed or received,
# a message shown before the data folder holding the faces exists).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk")
include(CPack)
