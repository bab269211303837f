# Helpers that keep the two layers apart.
#
# tomaro_core_library(NAME SOURCES... [DEPS ...]): a library of the core layer. It links only the
# standard library and the core libraries it names; the guard folder comes first on its include
# path, so that including Qt or PortAudio headers fails to compile.
#
# tomaro_ui_library(NAME SOURCES... [DEPS ...]): a library of the UI layer (Qt 6, PortAudio).

set(TOMARO_SOURCE_ROOT ${CMAKE_CURRENT_LIST_DIR}/../src)
set(TOMARO_CORE_GUARD ${CMAKE_CURRENT_LIST_DIR}/core-guard)

# Each library's own include root: a folder in the build tree that holds only a link to the
# library's folder of src/, so that `#include "tuning/Tuner.h"` works for the library itself and
# for what links it, and a library that does not link the tuning engine cannot include it. A core
# library links only core libraries, so it cannot see a window's header even by accident.
function(tomaro_include_root name)
    file(RELATIVE_PATH folder ${TOMARO_SOURCE_ROOT} ${CMAKE_CURRENT_SOURCE_DIR})
    if(folder MATCHES "^\\.\\.")
        return()  # a library of the tests: they include what they link
    endif()
    set(root ${CMAKE_BINARY_DIR}/include-roots/${name})
    file(MAKE_DIRECTORY ${root})
    if(NOT EXISTS ${root}/${folder})
        file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
    endif()
    target_include_directories(${name} PUBLIC ${root})
endfunction()

function(tomaro_core_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} BEFORE PRIVATE ${TOMARO_CORE_GUARD})
    tomaro_include_root(${name})
    if(ARG_DEPS)
        target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    endif()
endfunction()

function(tomaro_ui_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    tomaro_include_root(${name})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# The test programs: each folder of tests/ builds those of its library of src/. Their sources
# include the shared fixtures as "support/...".
#
# tomaro_gtest(NAME SOURCES... DEPS ... [LABELS ...] [UI]): a GoogleTest program run by CTest,
# labelled core: it needs neither Qt nor PortAudio, so it is built in a -DTOMARO_UI=OFF configure
# too and ./test runs it again under AddressSanitizer (ctest -L core). UI marks one that needs the
# UI layer or its programs: labelled ui instead, and built only with TOMARO_UI.
function(tomaro_gtest name)
    cmake_parse_arguments(ARG "UI" "" "SOURCES;DEPS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
    if(ARG_UI)
        set(labels ui ${ARG_LABELS})
    else()
        set(labels core ${ARG_LABELS})
    endif()
    set_tests_properties(${name} PROPERTIES LABELS "${labels}")
endfunction()

# tomaro_qtest(NAME SOURCES... DEPS ... [LABELS ...] [WITH_PULSEAUDIO]): a Qt Test program on the
# offscreen platform, labelled ui; WITH_PULSEAUDIO runs it against a private PulseAudio daemon of
# its own.
function(tomaro_qtest name)
    cmake_parse_arguments(ARG "WITH_PULSEAUDIO" "" "SOURCES;DEPS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} Qt6::Test)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    if(ARG_WITH_PULSEAUDIO)
        add_test(NAME ${name}
            COMMAND ${TOMARO_SOURCE_ROOT}/../scripts/with-pulseaudio.sh $<TARGET_FILE:${name}>)
        set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE TIMEOUT 180)
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()
    set_tests_properties(${name} PROPERTIES LABELS "ui;${ARG_LABELS}"
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config/${name};XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-data/${name}")
endfunction()
