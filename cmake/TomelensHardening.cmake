# Release builds for this machine take the distribution's hardening flags
# (fortify, stack protector, relro, bind-now, PIE) from dpkg-buildflags when
# it is there, as a Debian package build would. The optimisation and debug
# settings stay those of the build type.
if(CMAKE_BUILD_TYPE STREQUAL "Release" AND NOT CMAKE_CROSSCOMPILING AND NOT TOMELENS_SANITIZE
   AND NOT TOMELENS_BUILD_FUZZ)
  find_program(TOMELENS_DPKG_BUILDFLAGS dpkg-buildflags)
  if(TOMELENS_DPKG_BUILDFLAGS)
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
      execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                              ${TOMELENS_DPKG_BUILDFLAGS} --get ${kind}
                      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
      separate_arguments(flags UNIX_COMMAND "${flags}")
      list(FILTER flags EXCLUDE REGEX "^(-g|-O[0-9s]?|-ffile-prefix-map=.*|-fdebug-prefix-map=.*)$")
      set(hardening_${kind} ${flags})
    endforeach()
    message(STATUS "Hardening from dpkg-buildflags: ${hardening_CPPFLAGS} ${hardening_CXXFLAGS} ${hardening_LDFLAGS}")
    add_compile_options(${hardening_CPPFLAGS} ${hardening_CXXFLAGS})
    add_link_options(${hardening_LDFLAGS})
  endif()
endif()
