# Our ftd2xx.dll (the simulated Darvix as the FTDI driver), its scenario files and trace text, and
# darvix_devcheck. Included from sim/CMakeLists.txt.
#
# Where the DLL lies: bin/ beside the program (the run folder), and for the binding tests in
# bin/sim_dll/ (with the test program), bin/sim_dll/no_reload/ (a build lacking FT_Reload) and
# bin/sim_dll/no_dll/ (none). It is a development tool: nothing installs or packages it.

# Portable, tested natively.
add_library(darvix_sim_scenario STATIC ${CMAKE_CURRENT_LIST_DIR}/scenario_file.cpp
                                       ${CMAKE_CURRENT_LIST_DIR}/trace_text.cpp)
target_link_libraries(darvix_sim_scenario PUBLIC darvix_sim darvix_warnings)

if(WIN32)
    # The binding tests' folders (tests/sim puts its program there).
    set(DARVIX_SIM_DLL_TEST_DIR ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/sim_dll CACHE INTERNAL "")

    add_library(ftd2xx_objects OBJECT ${CMAKE_CURRENT_LIST_DIR}/ftd2xx_dll.cpp)
    target_link_libraries(ftd2xx_objects PRIVATE darvix_sim_scenario)

    # The exports by plain name; the variant's list is the same without FT_Reload.
    set(def ${CMAKE_CURRENT_LIST_DIR}/ftd2xx.def)
    set(def_no_reload ${CMAKE_CURRENT_BINARY_DIR}/ftd2xx_no_reload.def)
    file(READ ${def} def_text)
    string(REGEX REPLACE "\n *FT_Reload [^\n]*" "" def_text "${def_text}")
    file(WRITE ${def_no_reload} "${def_text}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})

    foreach(variant ftd2xx ftd2xx_no_reload)
        add_library(${variant} SHARED $<TARGET_OBJECTS:ftd2xx_objects>)
        target_link_libraries(${variant} PRIVATE darvix_sim_scenario)
        set_target_properties(${variant} PROPERTIES PREFIX "" OUTPUT_NAME ftd2xx)
    endforeach()
    target_sources(ftd2xx PRIVATE ${def})
    target_sources(ftd2xx_no_reload PRIVATE ${def_no_reload})
    set_target_properties(ftd2xx_no_reload PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY ${DARVIX_SIM_DLL_TEST_DIR}/no_reload
        ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/no_reload)

    add_executable(darvix_devcheck ${CMAKE_CURRENT_LIST_DIR}/devcheck.cpp)
    target_link_libraries(darvix_devcheck PRIVATE darvix_link darvix_os darvix_version_res darvix_warnings)
    # The driver it binds lies beside it.
    add_dependencies(darvix_devcheck ftd2xx)
endif()
