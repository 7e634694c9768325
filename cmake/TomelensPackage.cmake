# `cpack` in a build folder packs the install tree:
#   Linux    three Debian packages, one per install component
#            (cmake/TomelensInstall.cmake); scripts/check-package runs lintian
#            on them
#   Windows  one ZIP of the CLI and the library with its headers, import
#            library and the runtime DLLs they need
set(CPACK_PACKAGE_NAME tomelens)
set(CPACK_PACKAGE_VERSION ${TOMELENS_PACKAGE_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tomelens developers")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Browse and edit the game's archives and spell file")
  set(CPACK_PACKAGE_FILE_NAME tomelens-${TOMELENS_PACKAGE_VERSION}-windows-x64)
  include(CPack)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL Library Development Program)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Tomelens developers <tomelens@example.org>")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Each package's dependencies on other packages' libraries are read from its
# binaries by dpkg-shlibdeps (dpkg-dev); ours on each other are set below.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Our own library is in a package of its own: dpkg-shlibdeps finds it in the
# build's bin/ and leaves it to the exact dependency set below.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME ${TOMELENS_LIBRARY_PACKAGE})
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_LIBRARY_DESCRIPTION "library for the game's archives and skill table
libTomelens reads, checks, edits and writes the archive files of the game:
their directory, name list and zlib-packed blocks, and the checksum stored
with each entry. It also holds the game's built-in table of skills.

This package holds the shared library. Its interface may change with any
0.x release; the library's name carries that version.")
# The library's shlibs file and an ldconfig trigger, made here rather than
# by CPack, whose own choice adds maintainer scripts that call ldconfig.
configure_file(${PROJECT_SOURCE_DIR}/packaging/deb/shlibs.in ${PROJECT_BINARY_DIR}/deb/shlibs @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/deb/triggers ${PROJECT_BINARY_DIR}/deb/triggers COPYONLY)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/deb/shlibs ${PROJECT_BINARY_DIR}/deb/triggers)
# CPack 3.25 adds postinst and postrm scripts that call ldconfig to any package
# with a library in /usr/lib, which the trigger replaces: they are taken out
# of the finished package.
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/deb/DropLdconfigScripts.cmake)

set(exact_library "${TOMELENS_LIBRARY_PACKAGE} (= ${TOMELENS_PACKAGE_VERSION})")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libtomelens-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS ${exact_library})
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "development files for libTomelens, the game's archive library
libTomelens reads, checks, edits and writes the archive files of the game:
their directory, name list and zlib-packed blocks, and the checksum stored
with each entry. It also holds the game's built-in table of skills.

This package holds the C++17 headers, the CMake package
(find_package(Tomelens), target Tomelens::TomelensDll) and the pkg-config
file (tomelens) needed to build programs that use the library.")

set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME tomelens)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SECTION utils)
# qt6-qpa-plugins is found by no library lookup: the Qt plugin that puts
# windows on an X11 or Wayland desktop.
set(CPACK_DEBIAN_PROGRAM_PACKAGE_DEPENDS "${exact_library}, qt6-qpa-plugins")
set(CPACK_DEBIAN_PROGRAM_DESCRIPTION "browse and edit the game's archives and spell file
Tomelens works on the game's own files in its installation directory. Its
window has two tabs: Archives finds the game's archive files, lists their
entries, opens an entry in the desktop's default program and edits the
archive (new, add, delete, rename, replace or export entries, set
checksums); Spells reads the game's spell file, filters the spells by
class, level, casting skill and effect, describes them and exports the
descriptions as text.

tomelens-cli does the same work from the command line, for batches and
scripts: list, extract, create, add, delete, rename, verify archives, and
list, describe and export spells.")

include(CPack)
