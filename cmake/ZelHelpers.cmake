# Build helpers shared by every folder.
#
# Each subsystem folder is a component: a static library named zel_<folder>
# with its own explicit source list and the components it builds on. The
# umbrella target `zel` links them all; programs and tests link what they need,
# so a change in one subsystem rebuilds only what depends on it.

function(zel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor)
  if(ZEL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# zel_add_component(NAME SOURCES a.cpp b.cpp DEPS zel_x zel_y LIBS extlib)
function(zel_add_component name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} ${ARG_LIBS})
  zel_warnings(${name})
  set_property(GLOBAL APPEND PROPERTY ZEL_COMPONENTS ${name})
endfunction()

# zel_add_test(NAME SOURCES t.cpp DEPS zel_x LABELS unit [TIMEOUT s])
# One gtest executable; its tests are registered with ctest one by one.
function(zel_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    ZEL_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    ZEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  zel_warnings(${name})
  if(NOT ARG_LABELS)
    set(ARG_LABELS unit)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  include(GoogleTest)
  gtest_discover_tests(${name}
    PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT ${ARG_TIMEOUT}
    DISCOVERY_TIMEOUT 60)
endfunction()
