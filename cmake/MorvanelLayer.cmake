# One static library per layer. Sources are collected from the layer's folder
# (sub-folders included, platform folders too), so adding a class means adding
# its files; the dependency list is what makes the layering explicit.
function(morvanel_add_layer name dir)
    cmake_parse_arguments(ARG "" "" "DEPENDS;SYSTEM_LIBS;EXCLUDE" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
        "${CMAKE_SOURCE_DIR}/src/${dir}/*.cpp")
    foreach(pattern IN LISTS ARG_EXCLUDE)
        list(FILTER sources EXCLUDE REGEX "${pattern}")
    endforeach()
    if(sources)
        add_library(${name} STATIC ${sources})
        set(scope PUBLIC)
    else()
        add_library(${name} INTERFACE)
        set(scope INTERFACE)
    endif()
    target_include_directories(${name} ${scope} "${CMAKE_SOURCE_DIR}/src")
    target_link_libraries(${name} ${scope} ${ARG_DEPENDS} ${ARG_SYSTEM_LIBS})
    if(sources)
        target_link_libraries(${name} PRIVATE morvanel_options)
    endif()
endfunction()

# One GoogleTest executable per layer, from every test file under its folder.
function(morvanel_add_test_suite name dir)
    cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
        "${CMAKE_SOURCE_DIR}/tests/${dir}/*.cpp")
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}/tests")
    target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} morvanel_test_support
        morvanel_options GTest::gtest GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()

# One executable per <name><suffix>.cpp in the calling folder (benchmarks,
# fuzz targets), each linked against every layer so it can sit on any of them,
# with the header-only test doubles of tests/support within reach.
# Returns the created target names in the variable named by OUT.
function(morvanel_add_programs suffix out)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*${suffix}.cpp")
    set(names)
    foreach(source IN LISTS sources)
        get_filename_component(name "${source}" NAME_WE)
        add_executable(${name} "${source}")
        target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}/tests")
        target_link_libraries(${name} PRIVATE plugin_dsp dsp basic tnw sys mppi
            morvanel_options ${ARG_LIBS})
        list(APPEND names ${name})
    endforeach()
    set(${out} ${names} PARENT_SCOPE)
endfunction()
