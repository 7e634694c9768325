# The Spells tab's Qt controller joins the program's library.
target_sources(tomelens_app PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DMSpell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DMSpell.h)
