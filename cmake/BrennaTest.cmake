# brenna_test(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>] [GUI])
# One GoogleTest executable; its cases are listed at ctest time so that every
# case shows up on its own. Settings always go to a throw-away folder.
find_package(GTest REQUIRED)
include(GoogleTest)

function(brenna_test name)
  cmake_parse_arguments(T "GUI" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(T_GUI AND BRENNA_CORE_ONLY)
    return()
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} brenna_test_support GTest::gtest)
  if(T_GUI)
    target_link_libraries(${name} PRIVATE Qt6::Widgets Qt6::Test)
    target_compile_definitions(${name} PRIVATE BRENNA_GUI_TEST=1)
  endif()
  set(labels ${T_LABELS})
  if(T_GUI)
    list(APPEND labels gui)
  endif()
  # One label joining them all ("core_tsan"): the discovery script keeps only
  # the first entry of a list, and ctest -L takes a regular expression anyway.
  string(REPLACE ";" "_" labels "${labels}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      LABELS "${labels}"
      TIMEOUT ${T_TIMEOUT})
  # The test main sets the environment itself (offscreen platform, a private
  # configuration folder inherited by every program a test starts).
endfunction()
