# Third-party libraries, all from Debian's packages (see README and .ci/run).
find_package(PkgConfig REQUIRED)

# The project's include folders: what the protocol library needs, and nothing else.
add_library(odc_headers INTERFACE)
target_include_directories(odc_headers INTERFACE
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
    $<INSTALL_INTERFACE:include/OrnDanceChamber>)

# The toolkit's libraries: CEGUI, and OGRE header-only (Ogre::Vector2 and Ogre::MaterialPtr), so
# only its include folder is taken.
pkg_check_modules(CEGUI REQUIRED IMPORTED_TARGET GLOBAL CEGUI-0 CEGUI-0-NULL)
pkg_get_variable(OGRE_INCLUDE_DIR OGRE includedir)
find_path(OGRE_HEADERS OgreVector.h PATHS ${OGRE_INCLUDE_DIR}/OGRE /usr/include/OGRE REQUIRED)

add_library(odc_dependencies INTERFACE)
target_link_libraries(odc_dependencies INTERFACE odc_headers PkgConfig::CEGUI)
target_include_directories(odc_dependencies SYSTEM INTERFACE
    $<BUILD_INTERFACE:${OGRE_HEADERS}> $<INSTALL_INTERFACE:${OGRE_HEADERS}>)

# Declares one part of the protocol library: an object library of the given sources that uses the
# standard library alone.
function(odc_protocol_part name)
    add_library(${name} OBJECT ${ARGN})
    target_link_libraries(${name} PUBLIC odc_headers PRIVATE odc_warnings)
    target_compile_definitions(${name} PRIVATE ODC_BUILDING_PROTOCOL)
endfunction()

# Declares one part of the module: an object library of the given sources with the toolkit's
# libraries.
function(odc_subsystem name)
    add_library(${name} OBJECT ${ARGN})
    target_link_libraries(${name} PUBLIC odc_dependencies PRIVATE odc_warnings)
    target_compile_definitions(${name} PRIVATE ODC_BUILDING_LIBRARY)
endfunction()

# The command lines of the server and the tools.
if(ODC_BUILD_TOOLS OR ODC_BUILD_FUZZERS)
    find_package(CLI11 REQUIRED)
endif()
