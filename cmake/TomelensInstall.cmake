# What `cmake --install` puts in place: the programs, the shared library with
# its public headers, and a CMake package so that another project can
#   find_package(Tomelens) and link Tomelens::TomelensDll.
# The program installs itself and its desktop files (app/); this file does the rest.
include(CMakePackageConfigHelpers)

# The headers a consumer of the library includes, relative to library/.
# Adding a public header is one line here; everything else stays private.
set(TOMELENS_PUBLIC_HEADERS
  Export.h
  archive/CheckSum.h
  archive/DMArchiveWriter.h
  archive/DMDataFile.h
  archive/DMDataFileEntry.h
  archive/DMLastError.h
  archive/DMResultCodes.h
  archive/DMSaveTemp.h
  skills/DMSkills.h)

# Consumers write #include "archive/DMDataFile.h", as they do against the source tree.
set(TOMELENS_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/Tomelens)
set(TOMELENS_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Tomelens)

install(TARGETS TomelensDll EXPORT TomelensTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${TOMELENS_INSTALL_INCLUDEDIR})
foreach(header IN LISTS TOMELENS_PUBLIC_HEADERS)
  get_filename_component(subdir ${header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/library/${header} DESTINATION ${TOMELENS_INSTALL_INCLUDEDIR}/${subdir})
endforeach()

install(EXPORT TomelensTargets NAMESPACE Tomelens:: DESTINATION ${TOMELENS_INSTALL_CMAKEDIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/TomelensConfig.cmake.in
  ${PROJECT_BINARY_DIR}/TomelensConfig.cmake
  INSTALL_DESTINATION ${TOMELENS_INSTALL_CMAKEDIR})
# Before 1.0 a minor version may change the interface.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/TomelensConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/TomelensConfig.cmake ${PROJECT_BINARY_DIR}/TomelensConfigVersion.cmake
  DESTINATION ${TOMELENS_INSTALL_CMAKEDIR})

if(TARGET tomelens-cli)
  install(TARGETS tomelens-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/tomelens-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
