# ped_add_test(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>] [TIMEOUT <s>])
# Builds one Qt Test executable and registers it with CTest, headless.
function(ped_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${ARG_TIMEOUT}
        LABELS "${ARG_LABELS}"
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_RUNTIME_DIR=${CMAKE_BINARY_DIR}/xdg-runtime;PED_BIN_DIR=${CMAKE_BINARY_DIR}/bin;PED_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()

# The test `name` once more under `variant`, with the extra environment
# entries given after ENVIRONMENT (same timeout and labels).
function(ped_add_test_variant name variant)
    cmake_parse_arguments(ARG "" "" "ENVIRONMENT" ${ARGN})
    get_test_property(${name} TIMEOUT timeout)
    get_test_property(${name} LABELS labels)
    get_test_property(${name} ENVIRONMENT environment)
    add_test(NAME ${name}_${variant} COMMAND ${name})
    set_tests_properties(${name}_${variant} PROPERTIES
        TIMEOUT ${timeout}
        LABELS "${labels}"
        ENVIRONMENT "${environment};${ARG_ENVIRONMENT}")
endfunction()
