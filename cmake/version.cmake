# The program's version, from project(VERSION): one header that the C++ code and the version
# resource both include, so the program's "FileVersion" and the simulated device's default firmware
# version can never drift apart.
foreach(part MAJOR MINOR PATCH TWEAK)
    if("${PROJECT_VERSION_${part}}" STREQUAL "")
        set(DARVIX_VERSION_${part} 0)
    else()
        set(DARVIX_VERSION_${part} ${PROJECT_VERSION_${part}})
    endif()
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/res/version.h.in
               ${CMAKE_BINARY_DIR}/generated/darvix_version.h @ONLY)

add_library(darvix_version INTERFACE)
target_include_directories(darvix_version INTERFACE ${CMAKE_BINARY_DIR}/generated)

# The VERSIONINFO resource: link this object library into an executable to give it the program's
# version resource (an object, not a static library, so the linker cannot drop it).
if(WIN32)
    add_library(darvix_version_res OBJECT ${PROJECT_SOURCE_DIR}/res/version.rc)
    target_include_directories(darvix_version_res PRIVATE ${CMAKE_BINARY_DIR}/generated)
endif()
