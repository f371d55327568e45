# The Windows build: Quorvane.dll, the demo and benchmark hosts, and the Windows
# tests, which CTest runs under Wine through the cross-compiling emulator.
enable_language(RC)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
# One self-contained 32-bit DLL: no runtime DLLs beside it.
set(QV_STATIC_LINK -static -static-libgcc -static-libstdc++)

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
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/resources/Quorvane.rc PROPERTIES OBJECT_DEPENDS "${QV_RES_FILES}")

# ---- The control ---------------------------------------------------------------
add_library(Quorvane SHARED ${QV_WIN_SOURCES} ${CMAKE_SOURCE_DIR}/src/resources/Quorvane.rc)
add_dependencies(Quorvane quorvane_resources)
set_target_properties(Quorvane PROPERTIES PREFIX "" OUTPUT_NAME Quorvane)
target_include_directories(Quorvane PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/include ${QV_RES_DIR})
target_link_libraries(Quorvane PRIVATE quorvane_core user32 gdi32 comctl32 advapi32 kernel32)
# The DLL exports nothing: hosts talk to it through window messages only.
target_link_options(Quorvane PRIVATE ${QV_STATIC_LINK} -Wl,--exclude-all-symbols)

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
target_include_directories(win_test_support PUBLIC ${CMAKE_SOURCE_DIR}/include ${CMAKE_SOURCE_DIR}/tests
                           ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(win_test_support PUBLIC gtest user32 gdi32 comctl32 advapi32)

file(GLOB QV_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
foreach(test_source ${QV_WIN_TESTS})
    get_filename_component(name ${test_source} NAME_WE)
    add_executable(win_${name} ${test_source})
    target_link_libraries(win_${name} PRIVATE win_test_support gtest_main)
    target_link_options(win_${name} PRIVATE ${QV_STATIC_LINK})
    add_dependencies(win_${name} Quorvane)
    add_test(NAME win_${name} COMMAND win_${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    set_tests_properties(win_${name} PROPERTIES TIMEOUT 300)
endforeach()

# ---- Hosts ------------------------------------------------------------------------
if(EXISTS ${CMAKE_SOURCE_DIR}/demo/CMakeLists.txt)
    add_subdirectory(demo)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/bench/win/CMakeLists.txt)
    add_subdirectory(bench/win)
endif()
