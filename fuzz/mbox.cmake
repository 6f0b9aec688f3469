# The mailbox scan and the digest splitter. Their sources are compiled into
# the target so that libFuzzer sees their coverage.
quenby_fuzz_target(mbox_fuzz
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/MboxFuzz.cpp
    ${PROJECT_SOURCE_DIR}/src/stores/DigestParser.cpp
    ${PROJECT_SOURCE_DIR}/src/stores/MailboxScan.cpp
  LIBS quenby_text)
target_include_directories(mbox_fuzz PRIVATE ${PROJECT_SOURCE_DIR}/src)
