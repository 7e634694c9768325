# A MinGW build needs the compiler's runtime DLLs and zlib's beside the
# programs, or nothing starts on a machine without the toolchain. They are
# copied into the build's bin/ (so the tests run under Wine as built) and
# installed with the library (cmake/TomelensInstall.cmake).
set(TOMELENS_RUNTIME_DLLS)
if(WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll zlib1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
      message(FATAL_ERROR "${dll} is not where ${CMAKE_CXX_COMPILER} looks for libraries "
                          "(zlib1.dll comes with libz-mingw-w64)")
    endif()
    list(APPEND TOMELENS_RUNTIME_DLLS ${found})
  endforeach()
  file(COPY ${TOMELENS_RUNTIME_DLLS} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
endif()
