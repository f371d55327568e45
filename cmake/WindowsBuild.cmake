# The Windows build: Quorvane.dll, the demo and benchmark hosts, and the Windows
# tests, which CTest runs under Wine through the cross-compiling emulator.
enable_language(RC)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
# One self-contained 32-bit DLL: no runtime DLLs beside it.
set(QV_STATIC_LINK -static -static-libgcc -static-libstdc++)

# ---- The interface: headers and reference generated from interface/quorvane.toml --
# Everything in this build compiles against the generated header (quorvane_public);
# the committed copies in include/ and docs/ must equal these, which the test
# interface_check proves together with the agreement of the three languages.
set(QV_GEN_DIR ${CMAKE_BINARY_DIR}/interface)
set(QV_GEN_FILES ${QV_GEN_DIR}/include/quorvane.h ${QV_GEN_DIR}/include/quorvane.inc
    ${QV_GEN_DIR}/include/Quorvane.pas ${QV_GEN_DIR}/docs/reference.md)
file(GLOB QV_GEN_TOOLS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/interface/*.py)
add_custom_command(
    OUTPUT ${QV_GEN_FILES}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/qvgen --out ${QV_GEN_DIR} --always
    DEPENDS ${CMAKE_SOURCE_DIR}/interface/quorvane.toml ${CMAKE_SOURCE_DIR}/tools/qvgen ${QV_GEN_TOOLS}
    COMMENT "Generating the headers and the reference")
add_custom_target(quorvane_interface DEPENDS ${QV_GEN_FILES})
add_library(quorvane_public INTERFACE)
target_include_directories(quorvane_public INTERFACE ${QV_GEN_DIR}/include)
add_dependencies(quorvane_public quorvane_interface)

add_test(NAME interface_check
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/check-interface --cc ${CMAKE_C_COMPILER}
                 --cxx ${CMAKE_CXX_COMPILER} --work ${CMAKE_BINARY_DIR}/interface-check)

# ---- Resources: generated from the readable pixel art in src/resources ----------
set(QV_RES_DIR ${CMAKE_BINARY_DIR}/res)
file(GLOB QV_RES_ART CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/*.txt)
set(QV_RES_FILES ${QV_RES_DIR}/split.cur ${QV_RES_DIR}/margin.cur ${QV_RES_DIR}/markers.bmp)
add_custom_command(
    OUTPUT ${QV_RES_FILES}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/resgen.py ${CMAKE_SOURCE_DIR}/src/resources ${QV_RES_DIR}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/resgen.py ${QV_RES_ART}
    COMMENT "Generating cursors and marker bitmap")
add_custom_target(quorvane_resources DEPENDS ${QV_RES_FILES})
# The resource script takes the version from the generated header.
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/resources/Quorvane.rc PROPERTIES
                            OBJECT_DEPENDS "${QV_RES_FILES};${QV_GEN_DIR}/include/quorvane.h")

# ---- The control ---------------------------------------------------------------
# The Windows layer is compiled once for two builds of the library: Quorvane.dll,
# the one hosts use, and its test build in bin/hooked, which differs only in the
# allocation wrappers (src/base/win/Allocations.cpp, compiled with QV_TEST_HOOKS):
# a test can make any allocation fail and count what is alive through the plan it
# exports by ordinal 1. The tests in tests/win/hooked run beside it.
set(QV_ALLOCATIONS ${CMAKE_SOURCE_DIR}/src/base/win/Allocations.cpp)
list(REMOVE_ITEM QV_WIN_SOURCES ${QV_ALLOCATIONS})
add_library(quorvane_win OBJECT ${QV_WIN_SOURCES})
add_dependencies(quorvane_win quorvane_resources quorvane_interface)
target_include_directories(quorvane_win PRIVATE ${CMAKE_SOURCE_DIR}/src ${QV_RES_DIR})
target_link_libraries(quorvane_win PRIVATE quorvane_public)

set(QV_HOOKED_DIR ${CMAKE_BINARY_DIR}/bin/hooked)
foreach(variant Quorvane QuorvaneHooks)
    add_library(${variant} SHARED $<TARGET_OBJECTS:quorvane_win> ${QV_ALLOCATIONS}
                ${CMAKE_SOURCE_DIR}/src/resources/Quorvane.rc)
    add_dependencies(${variant} quorvane_resources quorvane_interface)
    set_target_properties(${variant} PROPERTIES PREFIX "" OUTPUT_NAME Quorvane)
    target_include_directories(${variant} PRIVATE ${CMAKE_SOURCE_DIR}/src ${QV_RES_DIR})
    target_link_libraries(${variant} PRIVATE quorvane_core quorvane_public user32 gdi32 comctl32 advapi32 kernel32)
endforeach()
# The DLL exports nothing: hosts talk to it through window messages only.
target_link_options(Quorvane PRIVATE ${QV_STATIC_LINK} -Wl,--exclude-all-symbols)
target_compile_definitions(QuorvaneHooks PRIVATE QV_TEST_HOOKS)
target_sources(QuorvaneHooks PRIVATE ${CMAKE_SOURCE_DIR}/src/base/win/QuorvaneHooks.def)
target_link_options(QuorvaneHooks PRIVATE ${QV_STATIC_LINK})
set_target_properties(QuorvaneHooks PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${QV_HOOKED_DIR}
                      LIBRARY_OUTPUT_DIRECTORY ${QV_HOOKED_DIR} ARCHIVE_OUTPUT_DIRECTORY ${QV_HOOKED_DIR})

# ---- GoogleTest, cross-compiled from its sources --------------------------------
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Each build tree runs its programs in a Wine prefix of its own: two trees tested at
# once would otherwise share one prefix from two virtual displays.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env QV_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix
    ${CMAKE_SOURCE_DIR}/tools/wine-run)

# ---- Windows tests: one program per file in tests/win, each driving the real DLL --
file(GLOB QV_WIN_TEST_SUPPORT CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/support/*.cpp
     ${CMAKE_SOURCE_DIR}/tests/win/support/*.c)
add_library(win_test_support STATIC ${QV_WIN_TEST_SUPPORT})
target_include_directories(win_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(win_test_support PUBLIC quorvane_public gtest user32 gdi32 comctl32 advapi32)

# Helper programs the tests start as second processes (another program holding
# the clipboard, for one), built beside the tests.
file(GLOB QV_WIN_TEST_HELPERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/helpers/*.cpp)
set(QV_WIN_TEST_HELPER_TARGETS "")
foreach(helper_source ${QV_WIN_TEST_HELPERS})
    get_filename_component(name ${helper_source} NAME_WE)
    add_executable(${name} ${helper_source})
    target_link_libraries(${name} PRIVATE user32 kernel32)
    target_link_options(${name} PRIVATE ${QV_STATIC_LINK})
    list(APPEND QV_WIN_TEST_HELPER_TARGETS ${name})
endforeach()

# The tests that need the test build of the library: built beside it, in bin/hooked.
file(GLOB QV_HOOKED_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/hooked/*.cpp)
foreach(test_source ${QV_HOOKED_TESTS})
    get_filename_component(name ${test_source} NAME_WE)
    add_executable(win_${name} ${test_source})
    target_link_libraries(win_${name} PRIVATE win_test_support gtest_main)
    target_link_options(win_${name} PRIVATE ${QV_STATIC_LINK})
    set_target_properties(win_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${QV_HOOKED_DIR})
    add_dependencies(win_${name} QuorvaneHooks)
    add_test(NAME win_${name} COMMAND win_${name} WORKING_DIRECTORY ${QV_HOOKED_DIR})
    set_tests_properties(win_${name} PROPERTIES TIMEOUT 300)
endforeach()

file(GLOB QV_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
foreach(test_source ${QV_WIN_TESTS})
    get_filename_component(name ${test_source} NAME_WE)
    add_executable(win_${name} ${test_source})
    target_link_libraries(win_${name} PRIVATE win_test_support gtest_main)
    target_link_options(win_${name} PRIVATE ${QV_STATIC_LINK})
    add_dependencies(win_${name} Quorvane ${QV_WIN_TEST_HELPER_TARGETS})
    add_test(NAME win_${name} COMMAND win_${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    set_tests_properties(win_${name} PROPERTIES TIMEOUT 300)
endforeach()

# ---- Hosts ------------------------------------------------------------------------
# The C host example of the release: built here so it is proven to compile and link,
# and run as a test that creates a control, sets a font and a text and reads them back.
add_executable(QuorvaneHostExample WIN32 ${CMAKE_SOURCE_DIR}/examples/host.c)
target_link_libraries(QuorvaneHostExample PRIVATE quorvane_public user32 gdi32)
target_link_options(QuorvaneHostExample PRIVATE ${QV_STATIC_LINK})
add_dependencies(QuorvaneHostExample Quorvane)
add_test(NAME win_HostExample COMMAND QuorvaneHostExample --check WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set_tests_properties(win_HostExample PROPERTIES TIMEOUT 120)

if(EXISTS ${CMAKE_SOURCE_DIR}/demo/CMakeLists.txt)
    add_subdirectory(demo)
    # The demo's test starts the demo and reads its identifiers.
    target_include_directories(win_DemoEditorTest PRIVATE ${CMAKE_SOURCE_DIR})
    add_dependencies(win_DemoEditorTest QuorvaneDemo)
endif()
# The release as its reader finds it: packed from this tree (tools/make-dist), its
# LICENSE, README, CHANGES and links checked, and the README's program and the
# examples built from the unpacked zip with the commands the README gives.
if(TARGET QuorvaneDemo)
    add_test(NAME dist_check
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/check-dist --build ${CMAKE_BINARY_DIR}
                     --work ${CMAKE_BINARY_DIR}/dist-check --compile)
    set_tests_properties(dist_check PROPERTIES TIMEOUT 600)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/bench/win/CMakeLists.txt)
    add_subdirectory(bench/win)
endif()
