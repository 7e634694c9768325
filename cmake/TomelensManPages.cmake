# tomelens(1) and tomelens-cli(1), made at build time from the programs' own
# --help (cmake/MakeManPage.cmake), so a new option or command is in the page
# as soon as it is in the help. A cross build cannot run its programs and
# installs no pages.
if(CMAKE_CROSSCOMPILING OR NOT UNIX OR APPLE)
  return()
endif()

set(man_dir ${PROJECT_BINARY_DIR}/man)
set(man_pages)
# tomelens_man_page(TARGET SUMMARY SEE_ALSO [COMMANDS])
function(tomelens_man_page target summary see_also)
  set(page ${man_dir}/${target}.1.gz)
  set(commands OFF)
  if(ARGN STREQUAL "COMMANDS")
    set(commands ON)
  endif()
  add_custom_command(OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> -DNAME=${target} "-DSUMMARY=${summary}"
            -DVERSION=${TOMELENS_PACKAGE_VERSION} -DDATE=${TOMELENS_RELEASE_DATE} -DSEE_ALSO=${see_also}
            -DCOMMANDS=${commands} -DOUTPUT=${page} -P ${PROJECT_SOURCE_DIR}/cmake/MakeManPage.cmake
    DEPENDS ${target} ${PROJECT_SOURCE_DIR}/cmake/MakeManPage.cmake
    COMMENT "Writing the manual page ${target}(1)"
    VERBATIM)
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT Program)
  set(man_pages ${man_pages} ${page} PARENT_SCOPE)
endfunction()

if(TARGET tomelens-cli)
  tomelens_man_page(tomelens-cli "work on the game's archives and spell file from the command line" tomelens
                    COMMANDS)
endif()
if(TARGET tomelens)
  tomelens_man_page(tomelens "browse and edit the game's archives and spell file" tomelens-cli)
endif()
if(man_pages)
  add_custom_target(tomelens_man_pages ALL DEPENDS ${man_pages})
endif()
