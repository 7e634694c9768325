# fuzz_archive: loads arbitrary bytes as an archive, inflates every entry and
# checks that a save of whatever loaded reads back the same.
tomelens_add_fuzzer(fuzz_archive
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/archive/fuzz_archive.cpp
  LIBS TomelensStatic)

# A few small archives written by the library itself start the corpus.
add_executable(make_archive_seeds ${CMAKE_CURRENT_SOURCE_DIR}/archive/make_archive_seeds.cpp)
target_link_libraries(make_archive_seeds PRIVATE TomelensStatic)
set(archive_seed_dir ${TOMELENS_SEED_DIR}/fuzz_archive)
add_custom_command(OUTPUT ${archive_seed_dir}/.made
  COMMAND ${CMAKE_COMMAND} -E make_directory ${archive_seed_dir}
  COMMAND make_archive_seeds ${archive_seed_dir}
  COMMAND ${CMAKE_COMMAND} -E touch ${archive_seed_dir}/.made
  DEPENDS make_archive_seeds
  COMMENT "Writing seed archives for fuzz_archive")
add_custom_target(fuzz_archive_seeds ALL DEPENDS ${archive_seed_dir}/.made)
