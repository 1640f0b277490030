# Shared build rules. Every source file either includes <windows.h> (Windows build only) or does not (built twice:
# for the programs and natively under the sanitizers).

set(KORVANE_WARNINGS -Wall -Wextra -Wshadow)

# A third build, natively with clang, makes the fuzz targets instead of the tests (scripts/fuzz, scripts/test).
option(KORVANE_FUZZ "Build the libFuzzer targets of the parsers instead of the tests (clang only)" OFF)
set(KORVANE_FUZZ_SECONDS 15 CACHE STRING "Seconds each fuzz target runs in CTest after its corpus")

if(WIN32)
    add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
    # ANSI APIs only: no UNICODE, no _UNICODE.
    # The C and C++ runtimes and winpthread are linked in, so every .exe and .dll runs on a bare Windows.
    add_link_options(-static -static-libgcc -static-libstdc++)
    set(KORVANE_TEST_TIMEOUT 300)
elseif(KORVANE_FUZZ)
    # Every library carries the coverage the fuzzer steers by; only the fuzz targets link the fuzzer's main.
    set(KORVANE_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_compile_options(${KORVANE_SANITIZE} -fsanitize=fuzzer-no-link -g -O1)
    add_link_options(${KORVANE_SANITIZE})
    set(KORVANE_TEST_TIMEOUT 300)
    add_custom_target(fuzz_targets)
else()
    set(KORVANE_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_compile_options(${KORVANE_SANITIZE} -g)
    add_link_options(${KORVANE_SANITIZE})
    set(KORVANE_TEST_TIMEOUT 300)
endif()

# korvane_library(name SOURCES ... [WIN_SOURCES ...] [LIBS ...] [WIN_LIBS ...])
# SOURCES are logic without <windows.h> and are built in both builds; WIN_SOURCES and WIN_LIBS only for Windows.
function(korvane_library name)
    cmake_parse_arguments(K "" "" "SOURCES;WIN_SOURCES;LIBS;WIN_LIBS" ${ARGN})
    set(srcs ${K_SOURCES})
    set(libs ${K_LIBS})
    if(WIN32)
        list(APPEND srcs ${K_WIN_SOURCES})
        list(APPEND libs ${K_WIN_LIBS})
    endif()
    add_library(${name} STATIC ${srcs})
    target_compile_options(${name} PRIVATE ${KORVANE_WARNINGS})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${libs})
endfunction()

# korvane_test(name SOURCES ... [WIN_SOURCES ...] [LIBS ...] [WIN_LIBS ...] [WIN_ONLY])
# One executable per module; CTest runs it once (under Wine for the Windows build).
function(korvane_test name)
    cmake_parse_arguments(K "WIN_ONLY" "" "SOURCES;WIN_SOURCES;LIBS;WIN_LIBS" ${ARGN})
    if((K_WIN_ONLY AND NOT WIN32) OR KORVANE_FUZZ)
        return()
    endif()
    set(srcs ${K_SOURCES})
    set(libs ${K_LIBS})
    if(WIN32)
        list(APPEND srcs ${K_WIN_SOURCES})
        list(APPEND libs ${K_WIN_LIBS})
    endif()
    add_executable(${name} ${srcs})
    target_compile_options(${name} PRIVATE ${KORVANE_WARNINGS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE ${libs} gmock korvane_test_main)
    if(WIN32)
        set(label win)
    else()
        set(label native)
    endif()
    add_test(NAME ${label}.${name} COMMAND ${name} --gtest_brief=1)
    set_tests_properties(${label}.${name} PROPERTIES TIMEOUT ${KORVANE_TEST_TIMEOUT} LABELS ${label}
                         ENVIRONMENT "KORVANE_SOURCE_DIR=${PROJECT_SOURCE_DIR};KORVANE_BIN_DIR=${CMAKE_BINARY_DIR}/bin;KORVANE_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")
endfunction()

if(WIN32)
    # Every Windows program and test links the same system libraries; unused ones cost nothing.
    set(KORVANE_WIN_SYSTEM_LIBS user32 gdi32 comctl32 comdlg32 shell32 ole32 oleaut32 uuid advapi32 msimg32 shlwapi
                                imm32 winmm)
endif()

# The programs and libraries of the program folder, by target; skins\ and config.ini come beside them. The build's
# program folder (dist\) has the virtual mouse as hiddriver.dll; the installer and the zip have the transport to the
# real mouse there and carry the virtual mouse (the demo targets) in demo\.
set(KORVANE_SHIPPED_TARGETS Monitor Option lan hiddriver mousectl VexelOSD)
set(KORVANE_DEMO_TARGETS hiddriver mousectl)
set(KORVANE_TRANSPORT_TARGET hidtransport_dll)

# What the installer, the uninstall entry and every version resource call the product and its maker.
set(KORVANE_PRODUCT_NAME "Korvane Mouse Configuration")
set(KORVANE_PUBLISHER "Korvane")

# korvane_version_resource(target "description")
# Stamps the project's VERSION into a shipped program or library as its version resource; a program also gets the
# application manifest cmake/program.manifest (Windows 10 and 11, asInvoker, not DPI-aware).
function(korvane_version_resource target description)
    get_target_property(type ${target} TYPE)
    get_target_property(name ${target} OUTPUT_NAME)
    if(NOT name)
        set(name ${target})
    endif()
    if(type STREQUAL "EXECUTABLE")
        set(KORVANE_FILE_TYPE VFT_APP)
        set(KORVANE_FILE_NAME ${name}.exe)
        set(manifest ${PROJECT_SOURCE_DIR}/cmake/program.manifest)
        set(KORVANE_MANIFEST_RESOURCE "CREATEPROCESS_MANIFEST_RESOURCE_ID RT_MANIFEST \"${manifest}\"")
    else()
        set(KORVANE_FILE_TYPE VFT_DLL)
        set(KORVANE_FILE_NAME ${name}.dll)
        set(manifest "")
        set(KORVANE_MANIFEST_RESOURCE "")
    endif()
    set(KORVANE_FILE_DESCRIPTION ${description})
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${manifest}")
    target_sources(${target} PRIVATE ${rc})
endfunction()

# True when the file includes <windows.h> itself. A file that needs the Windows API includes it directly, so that
# every file is either Windows code or logic that also builds natively.
function(korvane_is_windows_source file out)
    file(STRINGS ${file} hits REGEX "^[ \t]*#[ \t]*include[ \t]*<windows\\.h>")
    if(hits)
        set(${out} TRUE PARENT_SCOPE)
    else()
        set(${out} FALSE PARENT_SCOPE)
    endif()
endfunction()

# korvane_split_sources(logic_out win_out files...): the files that need the Windows API apart from the logic.
function(korvane_split_sources logic_out win_out)
    set(logic "")
    set(win "")
    foreach(f ${ARGN})
        korvane_is_windows_source(${f} w)
        if(w)
            list(APPEND win ${f})
        else()
            list(APPEND logic ${f})
        endif()
    endforeach()
    set(${logic_out} ${logic} PARENT_SCOPE)
    set(${win_out} ${win} PARENT_SCOPE)
endfunction()

# korvane_module(name [DIR dir] [LIBS ...] [NO_TESTS])
# A static library from the *.cpp files of the folder and, from tests/*.cpp, the module's test executable
# name_tests. Files that include <windows.h> are built for Windows only; the rest in both builds.
function(korvane_module name)
    cmake_parse_arguments(K "NO_TESTS" "DIR" "LIBS" ${ARGN})
    if(NOT K_DIR)
        set(K_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    endif()
    file(GLOB all CONFIGURE_DEPENDS ${K_DIR}/*.cpp)
    korvane_split_sources(logic win ${all})
    korvane_library(${name} SOURCES ${logic} WIN_SOURCES ${win} LIBS ${K_LIBS} WIN_LIBS ${KORVANE_WIN_SYSTEM_LIBS})

    if(K_NO_TESTS)
        return()
    endif()
    file(GLOB tests CONFIGURE_DEPENDS ${K_DIR}/tests/*.cpp)
    korvane_split_sources(tlogic twin ${tests})
    if(WIN32 AND (tlogic OR twin))
        korvane_test(${name}_tests SOURCES ${tlogic} ${twin} LIBS ${name})
    elseif(NOT WIN32 AND tlogic)
        korvane_test(${name}_tests SOURCES ${tlogic} LIBS ${name})
    endif()
endfunction()

# korvane_fuzz(name LIBS ... [DICT file])
# A libFuzzer target from fuzz/<name>.cpp of the calling folder, built only with KORVANE_FUZZ. Its seed corpus is
# fuzz/corpus/<name>/ (checked in, read only); what the fuzzer finds goes to <build>/corpus/<name>/, findings to
# <build>/findings/<name>/. CTest runs every input of both corpora, then fuzzes for KORVANE_FUZZ_SECONDS. DICT is a
# dictionary file relative to the source tree.
function(korvane_fuzz name)
    if(NOT KORVANE_FUZZ)
        return()
    endif()
    cmake_parse_arguments(K "" "DICT" "LIBS" ${ARGN})
    add_executable(${name} ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/${name}.cpp)
    target_compile_options(${name} PRIVATE ${KORVANE_WARNINGS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE ${K_LIBS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(fuzz_targets ${name})

    set(seeds ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/${name})
    if(NOT IS_DIRECTORY ${seeds})
        message(FATAL_ERROR "The fuzz target ${name} has no seed corpus ${seeds}")
    endif()
    set(found ${CMAKE_BINARY_DIR}/corpus/${name})
    set(findings ${CMAKE_BINARY_DIR}/findings/${name})
    file(MAKE_DIRECTORY ${found} ${findings})
    set(args -max_total_time=${KORVANE_FUZZ_SECONDS} -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
             -artifact_prefix=${findings}/)
    if(K_DICT)
        list(APPEND args -dict=${PROJECT_SOURCE_DIR}/${K_DICT})
    endif()
    add_test(NAME fuzz.${name} COMMAND ${name} ${args} ${found} ${seeds})
    math(EXPR limit "${KORVANE_FUZZ_SECONDS} + 300")
    set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT ${limit} LABELS fuzz)
endfunction()
