# brindle_lv2_bundle(): a product's LV2 bundle <NAME>.lv2/ in the build tree.
#
#   brindle_lv2_bundle(NAME <Name> PREFIX <PREFIX> TEMPLATE <ClassTemplate> IMPL_HEADER <header>
#                      LIBRARIES <libs...> [CATEGORY <lv2 class>] [PLATFORM]
#                      [OUTPUT_DIRECTORY <dir>] [NO_INSTALL])
#
# PREFIX is the prefix brindle_plugin_identity() set in the caller's scope: <PREFIX>_LV2_URI,
# <PREFIX>_BUNDLE_ID and <PREFIX>_CHANNEL_IO are read from there. The entry file is configured
# from LV2Entry.cpp.in: it includes IMPL_HEADER, instantiates TEMPLATE<IEffectLV2> and exports
# lv2_descriptor, the library's only exported symbol. The same entry is linked into a small
# program that writes manifest.ttl, <Name>.ttl and presets.ttl from the product at build time.
# The library carries all the framework code it uses, hidden (brindle_hidden_bundle_library):
# a host may load bundles built from other versions of the framework beside it. PLATFORM, for
# products whose code reaches the platform stand-ins (an editor), links a private copy of those
# in too. The bundle goes into OUTPUT_DIRECTORY (default: the top of the build tree). Targets:
# <Name>_lv2 (the library), <Name>_lv2_bundle (everything; built by default). `cmake --install`
# puts the bundle in lib/lv2 unless NO_INSTALL.
set(BRINDLE_LV2_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "")

function(brindle_lv2_bundle)
  cmake_parse_arguments(ARG "NO_INSTALL;PLATFORM" "NAME;PREFIX;TEMPLATE;IMPL_HEADER;CATEGORY;OUTPUT_DIRECTORY"
                        "LIBRARIES" ${ARGN})
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "brindle_lv2_bundle: unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  foreach(key NAME PREFIX TEMPLATE IMPL_HEADER)
    if(NOT ARG_${key})
      message(FATAL_ERROR "brindle_lv2_bundle: ${key} is missing")
    endif()
  endforeach()
  foreach(key LV2_URI BUNDLE_ID CHANNEL_IO)
    if(NOT DEFINED ${ARG_PREFIX}_${key})
      message(FATAL_ERROR "brindle_lv2_bundle: ${ARG_PREFIX}_${key} is not set; call brindle_plugin_identity first")
    endif()
  endforeach()

  set(name ${ARG_NAME})
  if(NOT ARG_OUTPUT_DIRECTORY)
    set(ARG_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  endif()
  set(bundle ${ARG_OUTPUT_DIRECTORY}/${name}.lv2)
  set(BRINDLE_LV2_NAME ${name})
  set(BRINDLE_LV2_IMPL_HEADER ${ARG_IMPL_HEADER})
  set(BRINDLE_LV2_TEMPLATE ${ARG_TEMPLATE})
  set(BRINDLE_LV2_URI ${${ARG_PREFIX}_LV2_URI})
  set(BRINDLE_LV2_BUNDLE_ID ${${ARG_PREFIX}_BUNDLE_ID})
  set(BRINDLE_LV2_CHANNEL_IO ${${ARG_PREFIX}_CHANNEL_IO})
  set(entry ${CMAKE_CURRENT_BINARY_DIR}/${name}LV2Entry.cpp)
  configure_file(${BRINDLE_LV2_DIR}/LV2Entry.cpp.in ${entry} @ONLY)

  add_library(${name}_lv2_entry OBJECT ${entry})
  target_link_libraries(${name}_lv2_entry PUBLIC brindle_lv2 ${ARG_LIBRARIES})
  target_compile_options(${name}_lv2_entry PRIVATE -fvisibility=hidden -fvisibility-inlines-hidden)
  if(DEFINED ${ARG_PREFIX}_GENERATED_DIR)
    target_include_directories(${name}_lv2_entry PRIVATE ${${ARG_PREFIX}_GENERATED_DIR})
  endif()

  add_library(${name}_lv2 MODULE $<TARGET_OBJECTS:${name}_lv2_entry>)
  target_link_libraries(${name}_lv2 PRIVATE brindle_lv2 ${ARG_LIBRARIES})
  set(platform_arg)
  if(ARG_PLATFORM)
    set(platform_arg PLATFORM)
  endif()
  brindle_hidden_bundle_library(${name}_lv2 EXPORTS lv2_descriptor ${platform_arg})
  if(ARG_PLATFORM)
    # nodelete: the platform stand-ins inside keep process-wide registries from their static
    # initializers; a host that unloads the library and loads it again would lose them each time.
    target_link_options(${name}_lv2 PRIVATE -Wl,-z,nodelete)
  endif()
  # Nothing of ours beside it to find at run time (builds before this one put the shared platform
  # library there).
  file(REMOVE ${bundle}/libbrindle_platform.so)
  set_target_properties(${name}_lv2 PROPERTIES
    OUTPUT_NAME ${name} PREFIX "" SUFFIX ".so"
    LIBRARY_OUTPUT_DIRECTORY ${bundle}
    SKIP_BUILD_RPATH ON)

  add_executable(${name}_lv2_ttl ${BRINDLE_LV2_DIR}/LV2BundleTool.cpp $<TARGET_OBJECTS:${name}_lv2_entry>)
  target_link_libraries(${name}_lv2_ttl PRIVATE brindle_lv2_ttl ${ARG_LIBRARIES})

  set(category_args)
  if(ARG_CATEGORY)
    set(category_args --category ${ARG_CATEGORY})
  endif()
  set(ui_args $<TARGET_PROPERTY:${name}_lv2_bundle,BRINDLE_LV2_UI_ARGS>)
  add_custom_command(
    OUTPUT ${bundle}/manifest.ttl ${bundle}/${name}.ttl ${bundle}/presets.ttl
    COMMAND ${CMAKE_COMMAND} -E make_directory ${bundle}
    COMMAND ${name}_lv2_ttl --out ${bundle} --binary ${name}.so --data ${name}.ttl ${category_args} ${ui_args}
    DEPENDS ${name}_lv2_ttl
    COMMENT "Describing ${name}.lv2"
    COMMAND_EXPAND_LISTS VERBATIM)
  add_custom_target(${name}_lv2_bundle ALL
    DEPENDS ${bundle}/manifest.ttl ${bundle}/${name}.ttl ${bundle}/presets.ttl ${name}_lv2)
  set_target_properties(${name}_lv2_bundle PROPERTIES BRINDLE_LV2_BUNDLE_DIR ${bundle})

  if(NOT ARG_NO_INSTALL)
    install(DIRECTORY ${bundle} DESTINATION lib/lv2 USE_SOURCE_PERMISSIONS)
  endif()
endfunction()

# brindle_lv2_bundle_ui(NAME <Name> TARGET <ui library target> URI <ui URI> [CLASS X11UI]
#                       [SEE_ALSO <file in the bundle>])
#
# Puts a UI library into <Name>.lv2/ and declares it: the manifest names it (ui:binary, and
# SEE_ALSO for the UI's own Turtle file) and every plug-in links it with ui:ui. May be called
# before or after brindle_lv2_bundle(), from any folder.
function(brindle_lv2_bundle_ui)
  cmake_parse_arguments(ARG "" "NAME;TARGET;URI;CLASS;SEE_ALSO" "" ${ARGN})
  if(NOT ARG_NAME OR NOT ARG_TARGET OR NOT ARG_URI)
    message(FATAL_ERROR "brindle_lv2_bundle_ui: NAME, TARGET and URI are needed")
  endif()
  if(NOT ARG_CLASS)
    set(ARG_CLASS X11UI)
  endif()
  get_target_property(output_name ${ARG_TARGET} OUTPUT_NAME)
  if(NOT output_name)
    set(output_name ${ARG_TARGET})
  endif()
  set_target_properties(${ARG_TARGET} PROPERTIES
    PREFIX "" SUFFIX ".so" BUILD_WITH_INSTALL_RPATH ON INSTALL_RPATH "$ORIGIN")
  set(args --ui-uri ${ARG_URI} --ui-binary ${output_name}.so --ui-class ${ARG_CLASS})
  if(ARG_SEE_ALSO)
    list(APPEND args --ui-see-also ${ARG_SEE_ALSO})
  endif()
  # The bundle target may not exist yet: attach once the whole tree is read. A deferred call reads
  # variables when it runs, so the names are written into it here and the arguments kept aside.
  set_property(GLOBAL PROPERTY BRINDLE_LV2_UI_ARGS_${ARG_NAME} "${args}")
  cmake_language(EVAL CODE
    "cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]] CALL _brindle_lv2_attach_ui [[${ARG_NAME}]] [[${ARG_TARGET}]])")
endfunction()

function(_brindle_lv2_attach_ui name target)
  get_property(args GLOBAL PROPERTY BRINDLE_LV2_UI_ARGS_${name})
  if(NOT TARGET ${name}_lv2_bundle)
    message(FATAL_ERROR "brindle_lv2_bundle_ui: no LV2 bundle named ${name}")
  endif()
  get_target_property(bundle ${name}_lv2_bundle BRINDLE_LV2_BUNDLE_DIR)
  set_target_properties(${target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${bundle})
  set_target_properties(${name}_lv2_bundle PROPERTIES BRINDLE_LV2_UI_ARGS "${args}")
  add_dependencies(${name}_lv2_bundle ${target})
endfunction()
