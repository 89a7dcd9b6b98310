# brindle_lv2_ui(TARGET <target>
#                PRODUCT_CLASS <the product over IEffectLV2UIPlug, e.g. BrindlePlug<IEffectLV2UIPlug>>
#                PRODUCT_HEADERS <headers the generated descriptor includes, as "dir/File.h">
#                BUNDLE_DIR <the product's .lv2 folder>
#                [IDENTITY <prefix set by brindle_plugin_identity>]
#                [NAME <name>] [PLUGIN_URI <uri>] [BUNDLE_ID <id>] [CHANNEL_IO <"1-1 2-2">]
#                [UI_URI <uri>] [BINARY <file name without .so>]
#                [INSTANTIATE <C++ line, e.g. "template class BrindlePlug<IEffectLV2UIPlug>;">]
#                [SOURCES <product sources>] [DEPS <libraries>] [IMAGES <editor images>])
#
# Builds the product's LV2 UI library <BUNDLE_DIR>/<BINARY>.so, exporting only lv2ui_descriptor,
# and puts what it reads beside it: Contents/Info.plist naming the bundle identifier (the bundle
# registry finds the bundle by it) and the editor's images in Contents/Resources/. Values not given
# come from the identity: NAME, PLUGIN_URI (<prefix>_LV2_URI), BUNDLE_ID, CHANNEL_IO; UI_URI
# defaults to <PLUGIN_URI>#ui and BINARY to <NAME>_ui.
function(brindle_lv2_ui)
  cmake_parse_arguments(ARG ""
    "TARGET;PRODUCT_CLASS;BUNDLE_DIR;IDENTITY;NAME;PLUGIN_URI;BUNDLE_ID;CHANNEL_IO;UI_URI;BINARY;INSTANTIATE"
    "PRODUCT_HEADERS;SOURCES;DEPS;IMAGES" ${ARGN})
  if(ARG_IDENTITY)
    foreach(pair NAME:NAME PLUGIN_URI:LV2_URI BUNDLE_ID:BUNDLE_ID CHANNEL_IO:CHANNEL_IO)
      string(REPLACE ":" ";" pair ${pair})
      list(GET pair 0 key)
      list(GET pair 1 identityKey)
      if(NOT ARG_${key})
        set(ARG_${key} "${${ARG_IDENTITY}_${identityKey}}")
      endif()
    endforeach()
  endif()
  foreach(required TARGET PRODUCT_CLASS BUNDLE_DIR NAME PLUGIN_URI BUNDLE_ID CHANNEL_IO)
    if(NOT ARG_${required})
      message(FATAL_ERROR "brindle_lv2_ui: ${required} is missing")
    endif()
  endforeach()
  if(NOT ARG_UI_URI)
    set(ARG_UI_URI "${ARG_PLUGIN_URI}#ui")
  endif()
  if(NOT ARG_BINARY)
    set(ARG_BINARY "${ARG_NAME}_ui")
  endif()

  set(LV2UI_NAME ${ARG_NAME})
  set(LV2UI_PLUGIN_URI ${ARG_PLUGIN_URI})
  set(LV2UI_BUNDLE_ID ${ARG_BUNDLE_ID})
  set(LV2UI_CHANNEL_IO ${ARG_CHANNEL_IO})
  set(LV2UI_URI ${ARG_UI_URI})
  set(LV2UI_PRODUCT_CLASS ${ARG_PRODUCT_CLASS})
  set(LV2UI_INSTANTIATE "${ARG_INSTANTIATE}")
  set(LV2UI_INCLUDES "")
  foreach(header IN LISTS ARG_PRODUCT_HEADERS)
    string(APPEND LV2UI_INCLUDES "#include \"${header}\"\n")
  endforeach()
  set(generated ${CMAKE_CURRENT_BINARY_DIR}/${ARG_TARGET}/${ARG_NAME}LV2UIDescriptor.cpp)
  configure_file(${BRINDLE_LV2UI_DIR}/LV2UIDescriptor.cpp.in ${generated} @ONLY)

  add_library(${ARG_TARGET} MODULE ${generated} ${ARG_SOURCES})
  target_link_libraries(${ARG_TARGET} PRIVATE brindle_lv2ui_framework ${ARG_DEPS})
  target_compile_options(${ARG_TARGET} PRIVATE -fvisibility=hidden -fvisibility-inlines-hidden)
  # --as-needed: the framework's libraries name the shared platform library, whose every symbol
  # the UI library carries itself, so it must not become a run-time dependency. nodelete: a host
  # may unload the library after the last UI closed; its process-wide stand-ins stay valid.
  target_link_options(${ARG_TARGET} PRIVATE
    -Wl,--version-script=${BRINDLE_LV2UI_DIR}/exports.map -Wl,--no-undefined -Wl,--exclude-libs,ALL
    -Wl,--as-needed -Wl,-z,nodelete)
  set_target_properties(${ARG_TARGET} PROPERTIES
    OUTPUT_NAME ${ARG_BINARY}
    PREFIX ""
    SUFFIX ".so"
    LIBRARY_OUTPUT_DIRECTORY ${ARG_BUNDLE_DIR}
    SKIP_BUILD_RPATH ON
    LINK_DEPENDS ${BRINDLE_LV2UI_DIR}/exports.map)

  file(CONFIGURE OUTPUT ${ARG_BUNDLE_DIR}/Contents/Info.plist CONTENT
"<?xml version=\"1.0\" encoding=\"UTF-8\"?>
<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">
<plist version=\"1.0\">
<dict>
  <key>CFBundleIdentifier</key>
  <string>${ARG_BUNDLE_ID}</string>
  <key>CFBundleName</key>
  <string>${ARG_NAME}</string>
  <key>CFBundlePackageType</key>
  <string>BNDL</string>
</dict>
</plist>
")
  file(MAKE_DIRECTORY ${ARG_BUNDLE_DIR}/Contents/Resources)
  if(ARG_IMAGES)
    add_custom_command(TARGET ${ARG_TARGET} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ARG_IMAGES} ${ARG_BUNDLE_DIR}/Contents/Resources
      VERBATIM)
  endif()
endfunction()
