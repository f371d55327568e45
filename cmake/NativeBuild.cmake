# The native Linux build: the core, its tests under the sanitizers, the core
# fuzzer's corpus as a test, (with QV_BENCH) the core benchmarks in an optimised
# build without sanitizers, and (with QV_FUZZ, compiled by clang) the core fuzzer.
option(QV_SANITIZE "Build the core and its tests with AddressSanitizer and UBSan" ON)
option(QV_BENCH "Build the core benchmarks" OFF)
option(QV_FUZZ "Build the core fuzzer with libFuzzer (clang only)" OFF)

if(QV_SANITIZE)
    set(QV_SAN_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_compile_options(quorvane_core PUBLIC ${QV_SAN_FLAGS})
    target_link_options(quorvane_core PUBLIC ${QV_SAN_FLAGS})
endif()

find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB QV_CORE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/core/*.cpp ${CMAKE_SOURCE_DIR}/tests/core/support/*.cpp)
add_executable(core_tests ${QV_CORE_TESTS})
target_include_directories(core_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(core_tests PRIVATE quorvane_core GTest::gtest GTest::gtest_main)
gtest_discover_tests(core_tests DISCOVERY_TIMEOUT 60)

if(QV_BENCH)
    find_package(benchmark REQUIRED)
    file(GLOB QV_CORE_BENCH CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/core/*.cpp)
    add_executable(core_bench ${QV_CORE_BENCH} ${CMAKE_SOURCE_DIR}/tests/core/support/FakePlatform.cpp)
    target_include_directories(core_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(core_bench PRIVATE quorvane_core benchmark::benchmark benchmark::benchmark_main)
endif()

# The core fuzzer (tests/fuzz): with QV_FUZZ the libFuzzer program of `make fuzz`,
# the core instrumented for coverage; otherwise a replaying program that runs the
# checked-in corpus once, as a test.
set(QV_FUZZ_SOURCES ${CMAKE_SOURCE_DIR}/tests/fuzz/CoreFuzzer.cpp ${CMAKE_SOURCE_DIR}/tests/core/support/FakePlatform.cpp
    ${CMAKE_SOURCE_DIR}/tests/core/support/DocumentInvariants.cpp ${CMAKE_SOURCE_DIR}/tests/core/support/TightAreas.cpp)
if(QV_FUZZ)
    target_compile_options(quorvane_core PUBLIC -fsanitize=fuzzer-no-link)
    add_executable(core_fuzzer ${QV_FUZZ_SOURCES})
    target_link_options(core_fuzzer PRIVATE -fsanitize=fuzzer)
    target_include_directories(core_fuzzer PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(core_fuzzer PRIVATE quorvane_core)
    # The checks and the fake platform steer nothing: their coverage would only
    # slow the fuzzer down.
    set_source_files_properties(${CMAKE_SOURCE_DIR}/tests/core/support/FakePlatform.cpp
        ${CMAKE_SOURCE_DIR}/tests/core/support/DocumentInvariants.cpp
        ${CMAKE_SOURCE_DIR}/tests/core/support/TightAreas.cpp
        TARGET_DIRECTORY core_fuzzer PROPERTIES COMPILE_OPTIONS -fno-sanitize=fuzzer-no-link)
else()
    add_executable(core_fuzz_replay ${QV_FUZZ_SOURCES} ${CMAKE_SOURCE_DIR}/tests/fuzz/FuzzReplay.cpp)
    target_include_directories(core_fuzz_replay PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(core_fuzz_replay PRIVATE quorvane_core)
    add_test(NAME core_fuzz_corpus COMMAND core_fuzz_replay ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus)
endif()
