# brindle_lv2_ui(): a product's LV2 UI library, <Name>_ui.so in <Name>.lv2/.
#
#   brindle_lv2_ui(NAME <Name> PREFIX <PREFIX> (TEMPLATE <ClassTemplate> | CLASS <Class>)
#                  IMPL_HEADER <header> [LIBRARIES <libs...>] [IMAGES <files...>] [URI <ui URI>]
#                  [BUNDLE_DIR <dir>])
#
# PREFIX is the identity prefix brindle_plugin_identity() set: <PREFIX>_LV2_URI, <PREFIX>_BUNDLE_ID
# and <PREFIX>_CHANNEL_IO are read from there. The descriptor is configured from
# LV2UIDescriptor.cpp.in: it includes IMPL_HEADER and builds TEMPLATE<IEffectLV2UIPlug> (instantiated
# there) or CLASS (a class derived from IEffectLV2UIPlug). LIBRARIES hold the product's code and its
# editor host (a brindle_graphics_mac_library). The UI's URI is URI, by default <LV2_URI>#ui.
#
# The library goes into the product's bundle and is declared there as its X11 UI
# (brindle_lv2_bundle_ui), or, with BUNDLE_DIR, into that folder alone (tests). Beside it the
# library go the UI's description <Name>_ui.ttl (its features and idle interface, named from the
# manifest) and what the bundle registry reads: Contents/Info.plist naming the bundle identifier,
# and the editor's IMAGES in Contents/Resources/. Target: <Name>_lv2ui.
function(brindle_lv2_ui)
  cmake_parse_arguments(ARG "" "NAME;PREFIX;TEMPLATE;CLASS;IMPL_HEADER;URI;BUNDLE_DIR" "LIBRARIES;IMAGES" ${ARGN})
  foreach(key NAME PREFIX IMPL_HEADER)
    if(NOT ARG_${key})
      message(FATAL_ERROR "brindle_lv2_ui: ${key} is missing")
    endif()
  endforeach()
  if(NOT ARG_TEMPLATE AND NOT ARG_CLASS)
    message(FATAL_ERROR "brindle_lv2_ui: TEMPLATE or CLASS is needed")
  endif()
  foreach(key LV2_URI BUNDLE_ID CHANNEL_IO)
    if(NOT DEFINED ${ARG_PREFIX}_${key})
      message(FATAL_ERROR "brindle_lv2_ui: ${ARG_PREFIX}_${key} is not set; call brindle_plugin_identity first")
    endif()
  endforeach()

  set(name ${ARG_NAME})
  set(target ${name}_lv2ui)
  if(NOT ARG_URI)
    set(ARG_URI "${${ARG_PREFIX}_LV2_URI}#ui")
  endif()
  set(LV2UI_NAME ${name})
  set(LV2UI_URI ${ARG_URI})
  set(LV2UI_PLUGIN_URI ${${ARG_PREFIX}_LV2_URI})
  set(LV2UI_BUNDLE_ID ${${ARG_PREFIX}_BUNDLE_ID})
  set(LV2UI_CHANNEL_IO ${${ARG_PREFIX}_CHANNEL_IO})
  set(LV2UI_IMPL_HEADER ${ARG_IMPL_HEADER})
  if(ARG_TEMPLATE)
    set(LV2UI_PRODUCT_CLASS "${ARG_TEMPLATE}<IEffectLV2UIPlug>")
    set(LV2UI_INSTANTIATE "template class ${ARG_TEMPLATE}<IEffectLV2UIPlug>;")
  else()
    set(LV2UI_PRODUCT_CLASS ${ARG_CLASS})
    set(LV2UI_INSTANTIATE "")
  endif()
  set(descriptor ${CMAKE_CURRENT_BINARY_DIR}/${name}LV2UIDescriptor.cpp)
  configure_file(${BRINDLE_LV2UI_DIR}/LV2UIDescriptor.cpp.in ${descriptor} @ONLY)
  set(info_plist ${CMAKE_CURRENT_BINARY_DIR}/${name}LV2UIInfo.plist)
  configure_file(${BRINDLE_LV2UI_DIR}/Info.plist.in ${info_plist} @ONLY)
  set(ui_ttl ${CMAKE_CURRENT_BINARY_DIR}/${name}_ui.ttl)
  configure_file(${BRINDLE_LV2UI_DIR}/ui.ttl.in ${ui_ttl} @ONLY)

  add_library(${target} MODULE ${descriptor})
  target_link_libraries(${target} PRIVATE brindle_lv2ui_framework ${ARG_LIBRARIES})
  target_compile_options(${target} PRIVATE -fvisibility=hidden -fvisibility-inlines-hidden)
  if(DEFINED ${ARG_PREFIX}_GENERATED_DIR)
    target_include_directories(${target} PRIVATE ${${ARG_PREFIX}_GENERATED_DIR})
  endif()
  # --as-needed: the editor libraries name the shared platform library, whose every symbol the UI
  # library carries itself, so it must not become a run-time dependency. nodelete: hosts unload a
  # UI library once its last UI closed; the process-wide stand-ins inside stay valid instead.
  target_link_options(${target} PRIVATE
    -Wl,--version-script=${BRINDLE_LV2UI_DIR}/exports.map -Wl,--no-undefined -Wl,--exclude-libs,ALL
    -Wl,--as-needed -Wl,-z,nodelete)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${name}_ui PREFIX "" SUFFIX ".so" SKIP_BUILD_RPATH ON
    LINK_DEPENDS ${BRINDLE_LV2UI_DIR}/exports.map)

  set(resources $<TARGET_FILE_DIR:${target}>/Contents/Resources)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${resources}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${info_plist} $<TARGET_FILE_DIR:${target}>/Contents/Info.plist
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ui_ttl} $<TARGET_FILE_DIR:${target}>/${name}_ui.ttl
    VERBATIM)
  if(ARG_IMAGES)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ARG_IMAGES} ${resources}
      VERBATIM)
  endif()

  if(ARG_BUNDLE_DIR)
    set_target_properties(${target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${ARG_BUNDLE_DIR})
  else()
    brindle_lv2_bundle_ui(NAME ${name} TARGET ${target} URI ${ARG_URI} CLASS X11UI SEE_ALSO ${name}_ui.ttl)
    # brindle_lv2_bundle_ui gives UI libraries an $ORIGIN run path; this one needs none.
    set_target_properties(${target} PROPERTIES BUILD_WITH_INSTALL_RPATH OFF INSTALL_RPATH "")
  endif()
endfunction()
