# Common settings for the project's own targets.

# gcc's undefined-behaviour set leaves out float-cast-overflow (a double beyond the range of
# the integer it is converted to), which clang's includes; it is named here so that the tests
# catch what the fuzz build does.
if(AMBRELO_SANITIZE)
    add_compile_options(-fsanitize=address,undefined,float-cast-overflow -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined,float-cast-overflow)
    add_link_options(-fsanitize=address,undefined,float-cast-overflow)
endif()

# The fuzz build: every library carries libFuzzer's coverage instrumentation and the address and
# undefined-behaviour checks; each harness links libFuzzer itself (ambrelo_fuzz_harness). Qt
# stays the system's build. -O1 keeps the checks fast enough to fuzz and the stacks readable.
if(AMBRELO_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "AMBRELO_FUZZ needs clang (CMAKE_CXX_COMPILER=clang++), not ${CMAKE_CXX_COMPILER_ID}")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer -O1)
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

# ambrelo_fuzz_harness(<name>): tests/fuzz/fuzz_<name>.cpp, which defines LLVMFuzzerTestOneInput.
# In the fuzz build it is the libFuzzer program fuzz_<name>; in the test build it is replay_<name>,
# which runs it over every file of tests/fuzz/corpus/<name> as the test fuzz_replay_<name>.
function(ambrelo_fuzz_harness name)
    if(AMBRELO_FUZZ)
        add_executable(fuzz_${name} fuzz_${name}.cpp)
        target_link_libraries(fuzz_${name} PRIVATE ambrelo_fuzzsupport)
        target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
        ambrelo_warnings(fuzz_${name})
    endif()
    if(AMBRELO_TESTS)
        add_executable(replay_${name} fuzz_${name}.cpp replaymain.cpp)
        target_link_libraries(replay_${name} PRIVATE ambrelo_fuzzsupport)
        ambrelo_warnings(replay_${name})
        add_test(NAME fuzz_replay_${name}
                 COMMAND replay_${name} ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name})
        set_tests_properties(fuzz_replay_${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endif()
endfunction()
