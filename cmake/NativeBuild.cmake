# The native Linux build: the core, its tests under the sanitizers, and (with
# QV_BENCH) the core benchmarks in an optimised build without sanitizers.
option(QV_SANITIZE "Build the core and its tests with AddressSanitizer and UBSan" ON)
option(QV_BENCH "Build the core benchmarks" OFF)

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
