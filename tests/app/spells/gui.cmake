# The Spells tab as a user meets it: DMSpell driven through the real view,
# headless, with scripted prompts.
find_package(Qt6 REQUIRED COMPONENTS Test)

tomelens_add_gtest(spells_gui_tests
  SOURCES
    ${CMAKE_SOURCE_DIR}/tests/app/support/GuiTestMain.cpp
    ${CMAKE_SOURCE_DIR}/tests/app/support/GuiFixture.cpp
    ${CMAKE_SOURCE_DIR}/tests/app/support/GuiFixture.h
    ${CMAKE_CURRENT_LIST_DIR}/SpellsTabTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpellsTabFixture.h
  LIBS tomelens_app Qt6::Test)
