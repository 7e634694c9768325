# fuzz_spells: arbitrary bytes as a spell file, through the reader, the query,
# the list order, the description and the export text.
tomelens_add_fuzzer(fuzz_spells SOURCES ${CMAKE_CURRENT_LIST_DIR}/FuzzSpells.cpp LIBS tomelens_core)

# Seeds: a few spell files built from records made in code.
add_executable(fuzz_spells_seeds ${CMAKE_CURRENT_LIST_DIR}/FuzzSpellsSeeds.cpp)
target_link_libraries(fuzz_spells_seeds PRIVATE tomelens_core)
add_custom_command(TARGET fuzz_spells POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TOMELENS_SEED_DIR}/fuzz_spells
  COMMAND fuzz_spells_seeds ${TOMELENS_SEED_DIR}/fuzz_spells
  VERBATIM)
add_dependencies(fuzz_spells fuzz_spells_seeds)
