#pragma once

// TOMELENS_API marks what the shared library exports; everything else is
// compiled with hidden visibility and stays private to the library.
#if defined(TOMELENS_STATIC)
#  define TOMELENS_API
#elif defined(_WIN32)
#  if defined(TOMELENS_BUILDING_DLL)
#    define TOMELENS_API __declspec(dllexport)
#  else
#    define TOMELENS_API __declspec(dllimport)
#  endif
#else
#  define TOMELENS_API __attribute__((visibility("default")))
#endif
