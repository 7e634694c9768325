# The one version of the project, in the forms its readers need:
#   TOMELENS_VERSION_TEXT     "0.21 beta"   what the program and the CLI print
#   TOMELENS_PACKAGE_VERSION  "0.21~beta"   the packages' version; sorts before
#                                           the final "0.21", which upgrades it
#   TOMELENS_SOVERSION        "0.21"        the library's ABI version
# packaging/changelog must start with an entry for this version: its date is
# the release date of the manual pages, and its entries are the metainfo's
# releases.
if(TOMELENS_VERSION_STAGE)
  set(TOMELENS_VERSION_TEXT "${PROJECT_VERSION} ${TOMELENS_VERSION_STAGE}")
  set(TOMELENS_PACKAGE_VERSION "${PROJECT_VERSION}~${TOMELENS_VERSION_STAGE}")
else()
  set(TOMELENS_VERSION_TEXT "${PROJECT_VERSION}")
  set(TOMELENS_PACKAGE_VERSION "${PROJECT_VERSION}")
endif()

# Before 1.0 any minor version may change the library's interface (its
# exported classes hold standard-library members), so the SONAME carries the
# minor version: libTomelens.so.0.21. From 1.0 on it is the major version.
if(PROJECT_VERSION_MAJOR EQUAL 0)
  set(TOMELENS_SOVERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
else()
  set(TOMELENS_SOVERSION ${PROJECT_VERSION_MAJOR})
endif()

set(TOMELENS_CHANGELOG ${PROJECT_SOURCE_DIR}/packaging/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TOMELENS_CHANGELOG})
file(STRINGS ${TOMELENS_CHANGELOG} changelog_lines)

# Each release of the changelog as "VERSION|YYYY-MM-DD", newest first.
set(TOMELENS_RELEASES)
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
set(release_version)
foreach(line IN LISTS changelog_lines)
  if(line MATCHES "^tomelens \\(([^)]+)\\)")
    set(release_version ${CMAKE_MATCH_1})
  elseif(line MATCHES "^ -- .*  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    set(day ${CMAKE_MATCH_1})
    set(year ${CMAKE_MATCH_3})
    list(FIND months ${CMAKE_MATCH_2} month)
    math(EXPR month "${month} + 1")
    if(month LESS 10)
      set(month 0${month})
    endif()
    list(APPEND TOMELENS_RELEASES "${release_version}|${year}-${month}-${day}")
  endif()
endforeach()
list(GET TOMELENS_RELEASES 0 newest)
string(REPLACE "|" ";" newest "${newest}")
list(GET newest 0 newest_version)
list(GET newest 1 TOMELENS_RELEASE_DATE)
if(NOT newest_version STREQUAL TOMELENS_PACKAGE_VERSION)
  message(FATAL_ERROR "packaging/changelog starts at ${newest_version}, the project is ${TOMELENS_PACKAGE_VERSION}: "
                      "add an entry for this version")
endif()

# The metainfo's <releases>, newest first.
set(TOMELENS_METAINFO_RELEASES)
foreach(release IN LISTS TOMELENS_RELEASES)
  string(REPLACE "|" ";" release "${release}")
  list(GET release 0 version)
  list(GET release 1 date)
  string(APPEND TOMELENS_METAINFO_RELEASES "    <release version=\"${version}\" date=\"${date}\"/>\n")
endforeach()

# A header for the code: the version as the program and the CLI print it.
set(TOMELENS_GENERATED_INCLUDE_DIR ${PROJECT_BINARY_DIR}/generated)
file(CONFIGURE OUTPUT ${TOMELENS_GENERATED_INCLUDE_DIR}/TomelensVersion.h CONTENT
"#pragma once
// Made by CMake from the project's version; edit CMakeLists.txt, not this file.
#define TOMELENS_VERSION_TEXT \"${TOMELENS_VERSION_TEXT}\"
#define TOMELENS_PACKAGE_VERSION \"${TOMELENS_PACKAGE_VERSION}\"
")

# Debian names a shared library's package after its SONAME.
set(TOMELENS_LIBRARY_PACKAGE libtomelens${TOMELENS_SOVERSION})

# The changelog as packages carry it: gzip -9n, no name or time stamp inside,
# so the same changelog always gives the same bytes.
if(UNIX AND NOT APPLE)
  find_program(TOMELENS_GZIP gzip REQUIRED)
  execute_process(COMMAND ${TOMELENS_GZIP} -9nc INPUT_FILE ${TOMELENS_CHANGELOG}
    OUTPUT_FILE ${PROJECT_BINARY_DIR}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
endif()
