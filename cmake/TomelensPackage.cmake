# `cpack` in the build folder makes a Debian package of the install tree.
# Its dependencies are read from the binaries by dpkg-shlibdeps (dpkg-dev).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tomelens)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tomelens team")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Browse and edit a game's archives and spell file")
set(CPACK_PACKAGE_DESCRIPTION
  "Tomelens lists, extracts and edits the game's archive files and describes\n\
the spells of its spell file, in a window (tomelens) or from the command line\n\
(tomelens-cli). The package also holds the archive library, its headers and a\n\
CMake package for find_package(Tomelens).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Tomelens team <tomelens@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Found by no library lookup: the Qt plugin that puts windows on an X11 or Wayland desktop.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
