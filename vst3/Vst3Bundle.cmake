# brindle_vst3_bundle(): a product as a VST3 module, <NAME>.vst3 in the build tree.
#
#   brindle_vst3_bundle(NAME <Name> PREFIX <PREFIX> TEMPLATE <ClassTemplate> IMPL_HEADER <header>
#                       LIBRARIES <libs...> [IMAGES <files...>] [SUBCATEGORIES <Fx|...>] [URL <url>] [EMAIL <address>]
#                       [OUTPUT_DIRECTORY <dir>] [NO_INSTALL])
#
# PREFIX is the prefix brindle_plugin_identity() set: the name, maker and version are read from
# there, and the class id is the MD5 of the bundle identifier with its format word "audiounit"
# replaced by "vst3", so that it stays the same from build to build. The bundle is
# <Name>.vst3/Contents/x86_64-linux/<Name>.so, exporting GetPluginFactory, ModuleEntry and ModuleExit
# only (brindle_hidden_bundle_library), with Contents/Resources/moduleinfo.json describing the class,
# Contents/Info.plist naming the bundle identifier and the IMAGES in Contents/Resources, where the
# editor finds them (ModuleEntry registers the bundle).
# Targets: <Name>_vst3 (the module, built by default) and <Name>_vst3_entry (the entry's objects).
# `cmake --install` puts the bundle in lib/vst3 unless NO_INSTALL.
set(BRINDLE_VST3_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "")

function(brindle_vst3_bundle)
  cmake_parse_arguments(ARG "NO_INSTALL" "NAME;PREFIX;TEMPLATE;IMPL_HEADER;SUBCATEGORIES;URL;EMAIL;OUTPUT_DIRECTORY"
                        "LIBRARIES;IMAGES" ${ARGN})
  foreach(key NAME PREFIX TEMPLATE IMPL_HEADER)
    if(NOT ARG_${key})
      message(FATAL_ERROR "brindle_vst3_bundle: ${key} is missing")
    endif()
  endforeach()
  foreach(key NAME MAKER VERSION BUNDLE_ID)
    if(NOT DEFINED ${ARG_PREFIX}_${key})
      message(FATAL_ERROR "brindle_vst3_bundle: ${ARG_PREFIX}_${key} is not set; call brindle_plugin_identity first")
    endif()
  endforeach()
  set(name ${ARG_NAME})
  if(NOT ARG_OUTPUT_DIRECTORY)
    set(ARG_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  endif()
  if(NOT ARG_SUBCATEGORIES)
    set(ARG_SUBCATEGORIES "Fx")
  endif()
  string(REPLACE ".audiounit." ".vst3." id "${${ARG_PREFIX}_BUNDLE_ID}")
  string(MD5 class_id "${id}")
  string(TOUPPER "${class_id}" BRINDLE_VST3_CLASS_ID)
  set(BRINDLE_VST3_NAME ${name})
  set(BRINDLE_VST3_IMPL_HEADER ${ARG_IMPL_HEADER})
  set(BRINDLE_VST3_TEMPLATE ${ARG_TEMPLATE})
  set(BRINDLE_VST3_PLUG_NAME ${${ARG_PREFIX}_NAME})
  set(BRINDLE_VST3_VENDOR ${${ARG_PREFIX}_MAKER})
  set(BRINDLE_VST3_VERSION $CACHE{${ARG_PREFIX}_VERSION}) # project(Brindle) sets a Brindle_VERSION of its own
  set(BRINDLE_VST3_URL "${ARG_URL}")
  set(BRINDLE_VST3_EMAIL "${ARG_EMAIL}")
  set(BRINDLE_VST3_SUBCATEGORIES "${ARG_SUBCATEGORIES}")
  set(BRINDLE_VST3_BUNDLE_ID ${${ARG_PREFIX}_BUNDLE_ID})
  string(REPLACE "|" "\", \"" BRINDLE_VST3_SUBCATEGORIES_JSON "\"${ARG_SUBCATEGORIES}\"")
  set(entry ${CMAKE_CURRENT_BINARY_DIR}/${name}Vst3Entry.cpp)
  configure_file(${BRINDLE_VST3_DIR}/Vst3Entry.cpp.in ${entry} @ONLY)

  add_library(${name}_vst3_entry OBJECT ${entry})
  target_link_libraries(${name}_vst3_entry PUBLIC brindle_vst3 ${ARG_LIBRARIES})
  target_compile_options(${name}_vst3_entry PRIVATE -fvisibility=hidden -fvisibility-inlines-hidden)
  if(DEFINED ${ARG_PREFIX}_GENERATED_DIR)
    target_include_directories(${name}_vst3_entry PRIVATE ${${ARG_PREFIX}_GENERATED_DIR})
  endif()

  set(bundle ${ARG_OUTPUT_DIRECTORY}/${name}.vst3)
  add_library(${name}_vst3 MODULE $<TARGET_OBJECTS:${name}_vst3_entry>)
  target_link_libraries(${name}_vst3 PRIVATE brindle_vst3 ${ARG_LIBRARIES})
  brindle_hidden_bundle_library(${name}_vst3 EXPORTS GetPluginFactory ModuleEntry ModuleExit PLATFORM)
  # nodelete: the platform stand-ins inside keep process-wide registries from their static
  # initializers; a host that unloads the module and loads it again would lose them each time.
  target_link_options(${name}_vst3 PRIVATE -Wl,-z,nodelete)
  set_target_properties(${name}_vst3 PROPERTIES
    OUTPUT_NAME ${name} PREFIX "" SUFFIX ".so" SKIP_BUILD_RPATH ON
    LIBRARY_OUTPUT_DIRECTORY ${bundle}/Contents/x86_64-linux)
  set(moduleinfo ${CMAKE_CURRENT_BINARY_DIR}/${name}Vst3moduleinfo.json)
  configure_file(${BRINDLE_VST3_DIR}/moduleinfo.json.in ${moduleinfo} @ONLY)
  set(info_plist ${CMAKE_CURRENT_BINARY_DIR}/${name}Vst3Info.plist)
  configure_file(${BRINDLE_VST3_DIR}/Info.plist.in ${info_plist} @ONLY)
  add_custom_command(TARGET ${name}_vst3 POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${bundle}/Contents/Resources
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${moduleinfo} ${bundle}/Contents/Resources/moduleinfo.json
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${info_plist} ${bundle}/Contents/Info.plist
    VERBATIM)
  if(ARG_IMAGES)
    add_custom_command(TARGET ${name}_vst3 POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ARG_IMAGES} ${bundle}/Contents/Resources
      VERBATIM)
  endif()
  if(NOT ARG_NO_INSTALL)
    install(DIRECTORY ${bundle} DESTINATION lib/vst3 USE_SOURCE_PERMISSIONS)
  endif()
endfunction()
