# Common settings for the project's own targets.

if(AMBRELO_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# Warnings apply to our code only; Qt's and the test frameworks' headers come in as system headers.
function(ambrelo_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# ambrelo_module(<name> DEPS <libs...>): a static library src/<name> named ambrelo_<name>,
# built from every source file of its folder.
function(ambrelo_module name)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    add_library(ambrelo_${name} STATIC ${sources})
    target_include_directories(ambrelo_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(ambrelo_${name} PUBLIC ${ARG_DEPS})
    ambrelo_warnings(ambrelo_${name})
endfunction()

# ambrelo_test(<module> [WIDGETS] DEPS <libs...>): one GoogleTest executable per module, from
# tests/<module>. WIDGETS gives it the test main with a QApplication instead of a QGuiApplication.
function(ambrelo_test name)
    cmake_parse_arguments(ARG "WIDGETS" "" "DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    add_executable(test_${name} ${sources})
    if(ARG_WIDGETS)
        set(main ambrelo_testmain_widgets)
    else()
        set(main ambrelo_testmain)
    endif()
    target_link_libraries(test_${name} PRIVATE ${main} ${ARG_DEPS} GTest::gmock)
    ambrelo_warnings(test_${name})
    gtest_discover_tests(test_${name}
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
