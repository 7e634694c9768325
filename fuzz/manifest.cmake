# fuzz_manifest: arbitrary bytes as an unpack manifest (a folder may come from
# anyone); whatever reads back must write out and read back the same.
tomelens_add_fuzzer(fuzz_manifest SOURCES ${CMAKE_CURRENT_LIST_DIR}/FuzzManifest.cpp LIBS tomelens_core)
