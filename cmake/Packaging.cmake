# SPDX-License-Identifier: GPL-3.0-or-later
# Installation layout and the Debian package.
#
#   cmake --install <build> --prefix <dir>   bin/velmora, bin/velmora-cli, the desktop entry, the icon,
#                                            share/doc/velmora/copyright
#   cpack -G DEB  (in <build>)               velmora_<version>_<arch>.deb with its run-time dependencies
#
# The executables install themselves (install(TARGETS ...) next to each target); this file adds
# what belongs to the desktop and the package's description.
include(GNUInstallDirs)

if(VELMORA_BUILD_GUI)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/velmora.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/app/resources/velmora-256.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps
          RENAME velmora.png)
endif()

# The licence (GPL-3.0-or-later) in Debian's machine-readable copyright format, where every
# Debian package carries it.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/velmora)

set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "Velmora project")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Detection-monitoring design calculator for 1:1 to 1:4 maximum tests")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Velmora finds the optimal inverse rank of the background data for non-parametric maximum "
  "tests with up to three resamples (1:1 to 1:4), the achievable cumulative false-positive "
  "error, the number of samples needed and the power at 2, 3 and 4 standard deviations, with "
  "a rating against reference criteria. It has a window (velmora) and a command line "
  "(velmora-cli).")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_CONTACT "Velmora project team <team@velmora.invalid>")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Velmora project team <team@velmora.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the executables link (Qt, the C++ runtime) become the package's
# dependencies through dpkg-shlibdeps (package dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
