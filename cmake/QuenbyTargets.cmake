# Subsystem libraries and the one-way dependency rule between them.
#
# Every library declares a layer. A library may link only libraries of a lower
# layer, so a reverse edge between subsystems fails at configure time. Core
# libraries (layer < 100) may not link Qt; tests/architecture checks their
# sources too.

set(QUENBY_WARNINGS -Wall -Wextra -Wpedantic -Wnon-virtual-dtor)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # GCC 12 at -O3 reports "literal" + std::string as an overlapping memcpy
  # (a known false positive of -Wrestrict in its string inlining).
  list(APPEND QUENBY_WARNINGS -Wshadow=local -Wno-restrict)
endif()

if(QUENBY_SANITIZE)
  add_compile_options(-fsanitize=${QUENBY_SANITIZE} -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${QUENBY_SANITIZE})
endif()

function(quenby_warnings target)
  target_compile_options(${target} PRIVATE ${QUENBY_WARNINGS})
  if(QUENBY_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# quenby_library(NAME LAYER n SOURCES ... [DEPS ...] [EXTERNAL ...])
#   DEPS are other quenby libraries (checked against the layer rule),
#   EXTERNAL are third-party targets.
function(quenby_library name)
  cmake_parse_arguments(ARG "" "LAYER" "SOURCES;DEPS;EXTERNAL" ${ARGN})
  if(NOT DEFINED ARG_LAYER)
    message(FATAL_ERROR "quenby_library(${name}): LAYER is required")
  endif()
  foreach(dep IN LISTS ARG_DEPS)
    get_property(dep_layer GLOBAL PROPERTY QUENBY_LAYER_${dep})
    if("${dep_layer}" STREQUAL "")
      message(FATAL_ERROR "${name} depends on ${dep}, which is not defined yet (define lower layers first)")
    endif()
    if(NOT dep_layer LESS ARG_LAYER)
      message(FATAL_ERROR "${name} (layer ${ARG_LAYER}) may not depend on ${dep} (layer ${dep_layer})")
    endif()
  endforeach()
  if(ARG_LAYER LESS 100)
    foreach(ext IN LISTS ARG_EXTERNAL)
      if(ext MATCHES "^Qt")
        message(FATAL_ERROR "core library ${name} may not link ${ext}")
      endif()
    endforeach()
  endif()
  set_property(GLOBAL PROPERTY QUENBY_LAYER_${name} ${ARG_LAYER})
  set_property(GLOBAL APPEND PROPERTY QUENBY_LIBRARIES ${name})
  if(ARG_SOURCES)
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} ${ARG_EXTERNAL})
    quenby_warnings(${name})
    if(ARG_LAYER GREATER_EQUAL 100)
      target_compile_definitions(${name} PUBLIC QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)
      set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS} ${ARG_EXTERNAL})
  endif()
endfunction()

# Runs every test on the program's memory manager instead of the run-time's
# allocator (sanitizer builds ignore it: they never install the manager).
option(QUENBY_TESTS_ON_FAST_MEMORY "Link the memory manager into every test" OFF)

# quenby_test(NAME SOURCES ... LIBS ... [LABELS ...] [QT])
#   QT: the test runs inside a QApplication (offscreen) and links Qt Test.
function(quenby_test name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS;LABELS" ${ARGN})
  if(ARG_QT)
    add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/QtTestMain.cpp)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test GTest::gtest GTest::gmock)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
  else()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  endif()
  if(QUENBY_TESTS_ON_FAST_MEMORY AND NOT QUENBY_SANITIZE AND NOT "quenby_memory_install" IN_LIST ARG_LIBS)
    target_link_libraries(${name} PRIVATE quenby_memory_install)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    QUENBY_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    QUENBY_CORPUS="${PROJECT_SOURCE_DIR}/../shared/corpus"
    QUENBY_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  quenby_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    TIMEOUT 300
    LABELS "${ARG_LABELS}")
endfunction()
