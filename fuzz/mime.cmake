# The MIME reader and header decoding over outside bytes. The text library
# is instrumented too, so that the fuzzer is guided by the code it tests.
target_compile_options(quenby_text PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
quenby_fuzz_target(mime_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/MimeFuzz.cpp LIBS quenby_text)
