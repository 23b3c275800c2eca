# Every test has a timeout, so a hang fails the run instead of stalling it.
include(GoogleTest)

set(PLIX_TEST_TIMEOUT 300 CACHE STRING "Seconds a test may take before it counts as hung")

# gtest_discover_tests with the project's timeout (or TIMEOUT seconds).
function(plix_discover_tests target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "TIMEOUT" "")
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT ${PLIX_TEST_TIMEOUT})
  endif()
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT ${arg_TIMEOUT})
endfunction()
