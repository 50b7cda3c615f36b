# The fuzz targets of fuzz/ are built by clang in a build of their own
# (<build>/fuzz, an external project over the same sources), and each runs
# for a minute as a test labelled "fuzz". Without clang they are left out.
find_program(KORRIVAN_CLANGXX NAMES clang++ clang++-14)
if(NOT KORRIVAN_CLANGXX)
  message(STATUS "clang++ not found: the fuzz smoke tests are left out")
  return()
endif()

include(ExternalProject)
ExternalProject_Add(korrivan_fuzzers
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${CMAKE_BINARY_DIR}/fuzz
  CMAKE_ARGS -DCMAKE_CXX_COMPILER=${KORRIVAN_CLANGXX} -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORRIVAN_FUZZ=ON
             -DKORRIVAN_BUILD_GUI=OFF -DBUILD_TESTING=OFF
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  EXCLUDE_FROM_ALL OFF)

set(KORRIVAN_FUZZ_SECONDS 60 CACHE STRING "Seconds each fuzz smoke test runs")
foreach(target line_parser section_directory data_reader certify)
  add_test(NAME fuzz_smoke_${target}
           COMMAND ${PROJECT_SOURCE_DIR}/scripts/fuzz smoke ${CMAKE_BINARY_DIR}/fuzz/fuzz/fuzz_${target}
                   ${KORRIVAN_FUZZ_SECONDS} ${CMAKE_BINARY_DIR}/fuzz-corpus/${target})
  set_tests_properties(fuzz_smoke_${target} PROPERTIES LABELS fuzz TIMEOUT 600)
endforeach()
