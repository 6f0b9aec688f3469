# The .dbx reader. Its sources are compiled into the target so that
# libFuzzer sees their coverage.
quenby_fuzz_target(dbx_fuzz
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/DbxFuzz.cpp
    ${PROJECT_SOURCE_DIR}/src/stores/DbxRecord.cpp
    ${PROJECT_SOURCE_DIR}/src/stores/OEFile.cpp
    ${PROJECT_SOURCE_DIR}/src/stores/ReadOnlyFile.cpp
  LIBS quenby_lists)
target_include_directories(dbx_fuzz PRIVATE ${PROJECT_SOURCE_DIR}/src)
