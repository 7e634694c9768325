# Warnings are set on each target of this project rather than for the whole
# tree, so code built here from elsewhere (GoogleTest in a cross build) keeps
# its own settings. TOMELENS_WERROR makes them errors; it is off by default so
# a newer compiler's new warnings cannot fail someone else's build.

function(tomelens_targets_below dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    tomelens_targets_below(${sub} below)
    list(APPEND targets ${below})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Called once, after every target is defined: each compiled target whose
# sources live in this project gets the warning flags.
function(tomelens_set_warnings)
  if(MSVC)
    set(flags /W4)
    set(error_flag /WX)
  else()
    set(flags -Wall -Wextra)
    set(error_flag -Werror)
  endif()
  if(TOMELENS_WERROR)
    list(APPEND flags ${error_flag})
  endif()
  tomelens_targets_below(${PROJECT_SOURCE_DIR} targets)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    get_target_property(dir ${target} SOURCE_DIR)
    string(FIND "${dir}/" "${PROJECT_SOURCE_DIR}/" at)
    if(at EQUAL 0 AND type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
      target_compile_options(${target} PRIVATE ${flags})
    endif()
  endforeach()
endfunction()
