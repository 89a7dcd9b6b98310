# brindle_clap_bundle(): a product as a CLAP module, <NAME>.clap in the build tree.
#
#   brindle_clap_bundle(NAME <Name> PREFIX <PREFIX> TEMPLATE <ClassTemplate> IMPL_HEADER <header>
#                       LIBRARIES <libs...> [IMAGES <files...>] [CATEGORY <feature>] [ID <reverse-domain id>]
#                       [URL <url>] [DESCRIPTION <text>] [OUTPUT_DIRECTORY <dir>] [NO_INSTALL])
#
# PREFIX is the prefix brindle_plugin_identity() set: the name, maker, version, bundle identifier and
# channel-IO string are read from there. The id defaults to the bundle identifier with its format
# word "audiounit" replaced by "clap". The entry is configured from ClapEntry.cpp.in: it includes
# IMPL_HEADER and instantiates TEMPLATE<IEffectCLAP>. The module is self-contained: the framework,
# the product and the platform stand-ins are linked in, and every symbol but clap_entry is kept
# inside (brindle_hidden_bundle_library), so that modules built from different versions of the
# framework can share a host process. Beside it goes <Name>.clap-resources/, what the editor reads
# through the bundle registry: Contents/Info.plist naming the bundle identifier, and the IMAGES in
# Contents/Resources/. Targets: <Name>_clap (the module, built by
# default) and <Name>_clap_entry (the entry's objects, for tests). `cmake --install` puts it in
# lib/clap, with its resources, unless NO_INSTALL.
set(BRINDLE_CLAP_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "")

function(brindle_clap_bundle)
  cmake_parse_arguments(ARG "NO_INSTALL" "NAME;PREFIX;TEMPLATE;IMPL_HEADER;CATEGORY;ID;URL;DESCRIPTION;OUTPUT_DIRECTORY"
                        "LIBRARIES;IMAGES" ${ARGN})
  foreach(key NAME PREFIX TEMPLATE IMPL_HEADER)
    if(NOT ARG_${key})
      message(FATAL_ERROR "brindle_clap_bundle: ${key} is missing")
    endif()
  endforeach()
  foreach(key NAME MAKER VERSION BUNDLE_ID CHANNEL_IO)
    if(NOT DEFINED ${ARG_PREFIX}_${key})
      message(FATAL_ERROR "brindle_clap_bundle: ${ARG_PREFIX}_${key} is not set; call brindle_plugin_identity first")
    endif()
  endforeach()
  set(name ${ARG_NAME})
  if(NOT ARG_OUTPUT_DIRECTORY)
    set(ARG_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  endif()
  if(NOT ARG_ID)
    string(REPLACE ".audiounit." ".clap." ARG_ID "${${ARG_PREFIX}_BUNDLE_ID}")
  endif()
  set(BRINDLE_CLAP_NAME ${name})
  set(BRINDLE_CLAP_IMPL_HEADER ${ARG_IMPL_HEADER})
  set(BRINDLE_CLAP_TEMPLATE ${ARG_TEMPLATE})
  set(BRINDLE_CLAP_ID ${ARG_ID})
  set(BRINDLE_CLAP_PLUG_NAME ${${ARG_PREFIX}_NAME})
  set(BRINDLE_CLAP_VENDOR ${${ARG_PREFIX}_MAKER})
  set(BRINDLE_CLAP_VERSION $CACHE{${ARG_PREFIX}_VERSION}) # project(Brindle) sets a Brindle_VERSION of its own
  set(BRINDLE_CLAP_URL "${ARG_URL}")
  set(BRINDLE_CLAP_DESCRIPTION "${ARG_DESCRIPTION}")
  set(BRINDLE_CLAP_BUNDLE_ID ${${ARG_PREFIX}_BUNDLE_ID})
  set(BRINDLE_CLAP_CHANNEL_IO ${${ARG_PREFIX}_CHANNEL_IO})
  set(BRINDLE_CLAP_CATEGORY "${ARG_CATEGORY}")
  set(entry ${CMAKE_CURRENT_BINARY_DIR}/${name}ClapEntry.cpp)
  configure_file(${BRINDLE_CLAP_DIR}/ClapEntry.cpp.in ${entry} @ONLY)

  add_library(${name}_clap_entry OBJECT ${entry})
  target_link_libraries(${name}_clap_entry PUBLIC brindle_clap ${ARG_LIBRARIES})
  target_compile_options(${name}_clap_entry PRIVATE -fvisibility=hidden -fvisibility-inlines-hidden)
  if(DEFINED ${ARG_PREFIX}_GENERATED_DIR)
    target_include_directories(${name}_clap_entry PRIVATE ${${ARG_PREFIX}_GENERATED_DIR})
  endif()

  add_library(${name}_clap MODULE $<TARGET_OBJECTS:${name}_clap_entry>)
  target_link_libraries(${name}_clap PRIVATE brindle_clap ${ARG_LIBRARIES})
  brindle_hidden_bundle_library(${name}_clap EXPORTS clap_entry PLATFORM)
  # nodelete: the platform stand-ins inside keep process-wide registries from their static
  # initializers; a host that unloads the module and loads it again would lose them each time.
  target_link_options(${name}_clap PRIVATE -Wl,-z,nodelete)
  set_target_properties(${name}_clap PROPERTIES
    OUTPUT_NAME ${name} PREFIX "" SUFFIX ".clap" SKIP_BUILD_RPATH ON
    LIBRARY_OUTPUT_DIRECTORY ${ARG_OUTPUT_DIRECTORY})
  set(resources ${ARG_OUTPUT_DIRECTORY}/${name}.clap-resources)
  set(info_plist ${CMAKE_CURRENT_BINARY_DIR}/${name}ClapInfo.plist)
  configure_file(${BRINDLE_CLAP_DIR}/Info.plist.in ${info_plist} @ONLY)
  add_custom_command(TARGET ${name}_clap POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${resources}/Contents/Resources
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${info_plist} ${resources}/Contents/Info.plist
    VERBATIM)
  if(ARG_IMAGES)
    add_custom_command(TARGET ${name}_clap POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ARG_IMAGES} ${resources}/Contents/Resources
      VERBATIM)
  endif()
  if(NOT ARG_NO_INSTALL)
    install(TARGETS ${name}_clap LIBRARY DESTINATION lib/clap)
    install(DIRECTORY ${resources} DESTINATION lib/clap)
  endif()
endfunction()
