# SPDX-License-Identifier: GPL-3.0-or-later
# gs_add_filter_module(NAME SOURCES src... RESOURCES script [OUTPUT_DIR dir] [OUTPUT_NAME name])
#
# Builds a filter module: an ELF shared object named OUTPUT_NAME.8bf (NAME by default) in
# OUTPUT_DIR (${GS_BIN_DIR}/plugins by default), from C or C++ sources that include
# "plugins/FilterRecord.h", with the resources of the script RESOURCES compiled by gs_filter_rc
# and embedded as the section .plugin_resources. Only symbols marked GS_FILTER_EXPORT are
# exported. docs/filter-modules.md describes the script and the interface.

get_filename_component(GS_FILTER_REPO_DIR "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)

if(NOT CMAKE_OBJCOPY)
  find_program(CMAKE_OBJCOPY objcopy REQUIRED)
endif()

function(_gs_filter_resource_compiler)
  if(TARGET gs_filter_rc)
    return()
  endif()
  add_executable(gs_filter_rc
    ${GS_FILTER_REPO_DIR}/src/plugins/rescomp/ResourceCompiler.cpp
    ${GS_FILTER_REPO_DIR}/src/platform/ModuleResources.cpp)
  target_include_directories(gs_filter_rc PRIVATE ${GS_FILTER_REPO_DIR}/src)
  set_target_properties(gs_filter_rc PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
endfunction()

function(gs_add_filter_module name)
  cmake_parse_arguments(ARG "" "RESOURCES;OUTPUT_DIR;OUTPUT_NAME" "SOURCES" ${ARGN})
  if(NOT ARG_SOURCES OR NOT ARG_RESOURCES)
    message(FATAL_ERROR "gs_add_filter_module(${name}) needs SOURCES and RESOURCES")
  endif()
  if(NOT ARG_OUTPUT_DIR)
    set(ARG_OUTPUT_DIR ${GS_BIN_DIR}/plugins)
  endif()
  if(NOT ARG_OUTPUT_NAME)
    set(ARG_OUTPUT_NAME ${name})
  endif()
  _gs_filter_resource_compiler()

  get_filename_component(script ${ARG_RESOURCES} ABSOLUTE)
  set(section ${CMAKE_CURRENT_BINARY_DIR}/${name}.resources)
  add_custom_command(OUTPUT ${section}
    COMMAND gs_filter_rc ${script} ${section}
    DEPENDS gs_filter_rc ${script}
    COMMENT "Compiling the resources of the filter module ${ARG_OUTPUT_NAME}.8bf"
    VERBATIM)
  add_custom_target(${name}_resources DEPENDS ${section})

  add_library(${name} MODULE ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${GS_FILTER_REPO_DIR}/src)
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    SUFFIX ".8bf"
    OUTPUT_NAME ${ARG_OUTPUT_NAME}
    LIBRARY_OUTPUT_DIRECTORY ${ARG_OUTPUT_DIR}
    C_STANDARD 11
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    # A changed resource script relinks the module, which embeds the new section.
    LINK_DEPENDS ${section})
  add_dependencies(${name} ${name}_resources)
  # Named as needed even when a module calls nothing of it: a shared object without its
  # prerequisites cannot be checked by the packaging tools.
  target_link_options(${name} PRIVATE LINKER:--no-as-needed)
  target_link_libraries(${name} PRIVATE c)
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --add-section .plugin_resources=${section}
            --set-section-flags .plugin_resources=contents,readonly $<TARGET_FILE:${name}>
    VERBATIM)
endfunction()
