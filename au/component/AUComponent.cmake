# brindle_au_component(TARGET PREFIX CLASS CLASS_HEADER LIBRARIES IMAGES):
# the Audio Unit component bundle of a product, <NAME>.component/ in the build tree, from the
# product's identity (brindle_plugin_identity(PREFIX ...) must have run) and its Audio Unit class:
#   Contents/Info.plist       identity and the two components with their entry points
#   Contents/Resources/       IMAGES, found by the editor by their bare file names
#   Contents/<NAME>.so        the module, exporting only <NAME>_Entry and <NAME>_ViewEntry
# The entry points, the factory and the view factory class are generated from one template here;
# a product writes none of them.
set(BRINDLE_AU_COMPONENT_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "")

function(brindle_au_component)
  cmake_parse_arguments(ARG "" "TARGET;PREFIX;CLASS;CLASS_HEADER" "LIBRARIES;IMAGES" ${ARGN})
  foreach(required TARGET PREFIX CLASS CLASS_HEADER LIBRARIES)
    if(NOT ARG_${required})
      message(FATAL_ERROR "brindle_au_component: ${required} is missing")
    endif()
  endforeach()
  set(p ${ARG_PREFIX})
  foreach(key NAME MAKER VERSION VERSION_WORD UNIQUE_ID MFR_ID BUNDLE_ID VIEW_CLASS)
    set(PLUG_${key} "${${p}_${key}}")
  endforeach()
  set(PLUG_PREFIX ${p})
  set(PLUG_CLASS ${ARG_CLASS})
  set(PLUG_CLASS_HEADER ${ARG_CLASS_HEADER})

  set(bundle ${PROJECT_BINARY_DIR}/${PLUG_NAME}.component)
  set(generated ${${p}_GENERATED_DIR}/au)
  configure_file(${BRINDLE_AU_COMPONENT_DIR}/ComponentEntry.cpp.in ${generated}/${PLUG_NAME}ComponentEntry.cpp @ONLY)
  configure_file(${BRINDLE_AU_COMPONENT_DIR}/exports.map.in ${generated}/exports.map @ONLY)
  configure_file(${BRINDLE_AU_COMPONENT_DIR}/Info.plist.in ${bundle}/Contents/Info.plist @ONLY)

  add_library(${ARG_TARGET} MODULE ${generated}/${PLUG_NAME}ComponentEntry.cpp)
  target_link_libraries(${ARG_TARGET} PRIVATE ${ARG_LIBRARIES})
  brindle_plugin_identity_include(${ARG_TARGET} ${p})
  target_compile_options(${ARG_TARGET} PRIVATE -fvisibility=hidden -fvisibility-inlines-hidden)
  target_link_options(${ARG_TARGET} PRIVATE -Wl,--version-script=${generated}/exports.map -Wl,--no-undefined)
  set_target_properties(${ARG_TARGET} PROPERTIES
    OUTPUT_NAME ${PLUG_NAME}
    PREFIX ""
    SUFFIX ".so"
    LIBRARY_OUTPUT_DIRECTORY ${bundle}/Contents
    LINK_DEPENDS ${generated}/exports.map)

  file(MAKE_DIRECTORY ${bundle}/Contents/Resources)
  if(ARG_IMAGES)
    add_custom_command(TARGET ${ARG_TARGET} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ARG_IMAGES} ${bundle}/Contents/Resources
      VERBATIM)
  endif()
endfunction()
