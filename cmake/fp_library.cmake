# fp_install_package(<target> [DEPENDS <package>...] [PKG_CONFIG_PRIVATE <module>...])
#
# Installs <target> with its public headers and exports it as the CMake package <target>
# (find_package(<target> CONFIG) gives <target>::<target>) and as a pkg-config file. The
# pkg-config modules that the library links privately are its Requires.private: a shared
# library needs them only where it is linked statically, and the CMake package not at all.
function(fp_install_package target)
  cmake_parse_arguments(ARG "" "" "DEPENDS;PKG_CONFIG_PRIVATE" ${ARGN})
  install(TARGETS ${target} EXPORT ${target}Targets
          LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
          RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
          INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  install(DIRECTORY include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  install(EXPORT ${target}Targets NAMESPACE ${target}::
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/${target})

  set(FP_PACKAGE ${target})
  set(FP_PACKAGE_DEPENDS "")
  set(FP_PC_REQUIRES "")
  foreach(dep IN LISTS ARG_DEPENDS)
    string(APPEND FP_PACKAGE_DEPENDS "find_dependency(${dep} CONFIG)\n")
    string(APPEND FP_PC_REQUIRES " ${dep}")
  endforeach()
  set(FP_PC_REQUIRES_PRIVATE "")
  foreach(module IN LISTS ARG_PKG_CONFIG_PRIVATE)
    string(APPEND FP_PC_REQUIRES_PRIVATE " ${module}")
  endforeach()
  set(FP_PC_CFLAGS "")
  if(FP_NODE_MEMORY STREQUAL "global")
    set(FP_PC_CFLAGS " -DFP_NODE_MEMORY_GLOBAL")
  endif()
  get_target_property(kind ${target} TYPE)
  if(kind STREQUAL "INTERFACE_LIBRARY")
    set(FP_PC_LIBS "")
  else()
    set(FP_PC_LIBS "-L\${libdir} -l${target}")
  endif()

  include(CMakePackageConfigHelpers)
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/package-config.cmake.in
                                ${CMAKE_CURRENT_BINARY_DIR}/${target}Config.cmake
                                INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/${target})
  write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/${target}ConfigVersion.cmake
                                   VERSION ${PROJECT_VERSION} COMPATIBILITY SameMinorVersion)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${target}Config.cmake
                ${CMAKE_CURRENT_BINARY_DIR}/${target}ConfigVersion.cmake
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/${target})
  # The prefix is found from where the .pc file lies, so that an install moved elsewhere (or
  # made with `cmake --install --prefix`) still describes itself.
  file(RELATIVE_PATH FP_PC_TO_PREFIX ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig
       ${CMAKE_INSTALL_PREFIX})
  string(REGEX REPLACE "/$" "" FP_PC_TO_PREFIX "${FP_PC_TO_PREFIX}")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/package.pc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}.pc
                 @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${target}.pc
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endfunction()

# fp_add_library(<name> [PKG_CONFIG_PRIVATE <module>...]): a shared library of this project,
# built from src/*.cpp, on top of fp, linked privately against the given pkg-config modules.
function(fp_add_library name)
  cmake_parse_arguments(ARG "" "" "PKG_CONFIG_PRIVATE" ${ARGN})
  # The headers name their version in macros; the shared library reports the project's.
  string(TOUPPER ${name} upper)
  file(STRINGS include/${name}/version.hpp header_version
       REGEX "^#define ${upper}_VERSION_STRING \"[0-9.]+\"$")
  if(NOT header_version MATCHES "\"${PROJECT_VERSION}\"")
    message(FATAL_ERROR "include/${name}/version.hpp does not name version ${PROJECT_VERSION}")
  endif()
  file(GLOB sources CONFIGURE_DEPENDS src/*.cpp)
  add_library(${name} SHARED ${sources})
  add_library(${name}::${name} ALIAS ${name})
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
                                            $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  target_link_libraries(${name} PUBLIC common::common PRIVATE $<BUILD_INTERFACE:fp_warnings>)
  target_compile_definitions(${name} PRIVATE FP_VERSION="${PROJECT_VERSION}")
  set_target_properties(${name} PROPERTIES VERSION ${PROJECT_VERSION}
                                           SOVERSION ${PROJECT_VERSION_MAJOR}
                                           VISIBILITY_INLINES_HIDDEN OFF)
  foreach(module IN LISTS ARG_PKG_CONFIG_PRIVATE)
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(${module} REQUIRED IMPORTED_TARGET ${module})
    target_link_libraries(${name} PRIVATE PkgConfig::${module})
  endforeach()
  fp_install_package(${name} DEPENDS common PKG_CONFIG_PRIVATE ${ARG_PKG_CONFIG_PRIVATE})
endfunction()

# fp_add_tests(<name> <sources>...): one GoogleTest binary with the test support and the
# allocation counters, its cases registered with CTest.
function(fp_add_tests name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE fp_testing fp_allocation_counts GTest::gtest_main
                                        Threads::Threads fp_warnings)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
endfunction()
