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
# The widget names Chinese font families that fontconfig maps onto these, and it
# opens the status-notifier library at run time; the shared-library scan sees
# neither.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, libayatana-appindicator3-1")
include(CPack)
