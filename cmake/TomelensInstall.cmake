# What `cmake --install` puts in place, in three components that become the
# three Debian packages (cmake/TomelensPackage.cmake):
#   Library      the shared library                        libtomelens<SOVERSION>
#   Development  headers, CMake package, pkg-config file,  libtomelens-dev
#                the libTomelens.so link, import library
#   Program      the window, the CLI, desktop files, manual pages    tomelens
# Rules that name no component (the program's own, in app/) belong to Program.
include(CMakePackageConfigHelpers)

# The headers a consumer of the library includes, relative to library/.
# Adding a public header is one line here; everything else stays private.
set(TOMELENS_PUBLIC_HEADERS
  TomelensExport.h
  archive/CheckSum.h
  archive/DMArchiveWriter.h
  archive/DMDataFile.h
  archive/DMDataFileEntry.h
  archive/DMLastError.h
  archive/DMResultCodes.h
  archive/DMSaveTemp.h
  skills/DMSkills.h)

# Consumers write #include <Tomelens/archive/DMDataFile.h>, or, with the
# library's own folder on their path as against the source tree,
# #include "archive/DMDataFile.h": both include folders are exported.
set(TOMELENS_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/Tomelens)
set(TOMELENS_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Tomelens)

install(TARGETS TomelensDll EXPORT TomelensTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Library
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Library NAMELINK_COMPONENT Development
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} ${TOMELENS_INSTALL_INCLUDEDIR})
foreach(header IN LISTS TOMELENS_PUBLIC_HEADERS)
  get_filename_component(subdir ${header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/library/${header}
    DESTINATION ${TOMELENS_INSTALL_INCLUDEDIR}/${subdir} COMPONENT Development)
endforeach()

install(EXPORT TomelensTargets NAMESPACE Tomelens:: DESTINATION ${TOMELENS_INSTALL_CMAKEDIR}
  COMPONENT Development)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/TomelensConfig.cmake.in
  ${PROJECT_BINARY_DIR}/TomelensConfig.cmake
  INSTALL_DESTINATION ${TOMELENS_INSTALL_CMAKEDIR})
# Before 1.0 a minor version may change the interface (the SONAME says so too).
write_basic_package_version_file(${PROJECT_BINARY_DIR}/TomelensConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/TomelensConfig.cmake ${PROJECT_BINARY_DIR}/TomelensConfigVersion.cmake
  DESTINATION ${TOMELENS_INSTALL_CMAKEDIR} COMPONENT Development)

# pkg-config, for builds without CMake. The prefix is found from the file's
# own place, so the installed tree can be moved.
file(RELATIVE_PATH pc_to_prefix /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" pc_to_prefix "${pc_to_prefix}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/tomelens.pc.in ${PROJECT_BINARY_DIR}/tomelens.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/tomelens.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
  COMPONENT Development)

if(TARGET tomelens-cli)
  install(TARGETS tomelens-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Program)
endif()

if(WIN32)
  # The licence beside the programs; the compiler's runtime DLLs and zlib
  # too, or nothing starts on a machine without the toolchain.
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt COMPONENT Library)
  install(FILES ${TOMELENS_RUNTIME_DLLS} DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Library)
else()
  # Each package's licence and changelog, where Debian keeps them.
  foreach(package IN ITEMS ${TOMELENS_LIBRARY_PACKAGE} libtomelens-dev tomelens)
    set(component Program)
    if(package STREQUAL TOMELENS_LIBRARY_PACKAGE)
      set(component Library)
    elseif(package STREQUAL libtomelens-dev)
      set(component Development)
    endif()
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${PROJECT_BINARY_DIR}/changelog.gz
      DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
  endforeach()
endif()
