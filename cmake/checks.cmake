# Build options for the checked builds: the sanitizer tree (TARNAVEL_SANITIZE), the fuzz tree (TARNAVEL_FUZZ)
# and the coverage tree (TARNAVEL_COVERAGE).
option(TARNAVEL_SANITIZE "Build everything with AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer" OFF)
option(TARNAVEL_FUZZ "Build the libFuzzer targets in fuzz/ (needs clang++)" OFF)
option(TARNAVEL_COVERAGE "Build the library and the tests with gcov line coverage (needs g++; read it with gcovr)" OFF)

# The sanitizers every checked build compiles and links with; an undefined behaviour stops the run.
set(TARNAVEL_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)

if(TARNAVEL_SANITIZE AND TARNAVEL_FUZZ)
  message(FATAL_ERROR "TARNAVEL_SANITIZE and TARNAVEL_FUZZ make separate build trees: turn one of them off")
endif()

if(TARNAVEL_SANITIZE)
  add_compile_options(${TARNAVEL_SANITIZER_FLAGS})
  add_link_options(-fsanitize=address,undefined)
endif()

if(TARNAVEL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "TARNAVEL_FUZZ needs clang++ (libFuzzer): configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  # The library gets coverage instrumentation; only the fuzz targets link libFuzzer's main().
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Coverage: every object compiled and linked with --coverage; running the tests writes the .gcda files.
if(TARNAVEL_COVERAGE)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    message(FATAL_ERROR "TARNAVEL_COVERAGE needs g++ (gcov): configure with -DCMAKE_CXX_COMPILER=g++")
  endif()
  add_compile_options(--coverage)
  add_link_options(--coverage)
endif()

# The environment a test runs in under the sanitizers: leaks reported at exit, only the suppressions
# for libraries outside this tree, a stack trace for each undefined behaviour.
set(TARNAVEL_SANITIZER_ENV)
if(TARNAVEL_SANITIZE OR TARNAVEL_FUZZ)
  set(TARNAVEL_SANITIZER_ENV
    "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_init_order=1:detect_stack_use_after_return=1"
    "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/sanitizer/lsan.supp:print_suppressions=0"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
endif()

# Gives every test of the calling directory the sanitizer environment (nothing in an ordinary build).
function(tarnavel_sanitizer_environment)
  get_property(tests DIRECTORY PROPERTY TESTS)
  if(TARNAVEL_SANITIZER_ENV AND tests)
    set_property(TEST ${tests} APPEND PROPERTY ENVIRONMENT ${TARNAVEL_SANITIZER_ENV})
  endif()
endfunction()
