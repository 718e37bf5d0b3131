# SPDX-License-Identifier: GPL-3.0-or-later
# Warnings for our own targets only.
function(corvale_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_KEYWORDS)
endfunction()

# corvale_add_test(NAME name SOURCES ... LIBS ... [LABELS ...])
# Every test runs offscreen, or on the platform CORVALE_TEST_PLATFORM names
# when CTest runs (see corvale_test_platform), and with its own settings
# store and cache folder.
function(corvale_add_test)
    cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    corvale_warnings(${T_NAME})
    target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS})
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(${T_NAME} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}.config;XDG_CACHE_HOME=${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}.cache"
        TIMEOUT 300)
    set_property(GLOBAL APPEND PROPERTY CORVALE_WINDOW_TESTS ${T_NAME})
    if(T_LABELS)
        set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
    endif()
endfunction()

# corvale_test_platform(): called after every test is added, in a folder of
# its own whose test file CTest reads last. Then CORVALE_TEST_PLATFORM, when
# set as CTest runs (CORVALE_TEST_PLATFORM=wayland ctest ...), replaces the
# offscreen platform of every test, without configuring the build again.
function(corvale_test_platform)
    get_property(CORVALE_WINDOW_TESTS GLOBAL PROPERTY CORVALE_WINDOW_TESTS)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/testplatform.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/testplatform.cmake
                   @ONLY)
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_CURRENT_BINARY_DIR}/testplatform.cmake)
endfunction()

# corvale_with_map_browser(target): a test with map windows, the map browser
# module beside its executable where they look for it, the web engine's
# headers for tests that drive its view, and its contexts shared from start.
function(corvale_with_map_browser target)
    target_link_libraries(${target} PRIVATE Qt6::WebEngineWidgets)
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/sharedglcontexts.cpp)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E create_symlink $<TARGET_FILE:corvale_ui_map_browser>
                $<TARGET_FILE_DIR:${target}>/$<TARGET_FILE_NAME:corvale_ui_map_browser>)
endfunction()
