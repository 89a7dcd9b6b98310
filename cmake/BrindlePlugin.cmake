# A plug-in's identity (name, maker, version, four-character codes, bundle identifier, view class,
# class-name suffix, LV2 URI, channel configurations) is written once, in a small CMake file that
# sets PLUG_* variables (effect/Brindle.identity.cmake is one). Everything else is generated from it.

set(BRINDLE_PLUGIN_TEMPLATES_DIR ${CMAKE_CURRENT_LIST_DIR}/templates CACHE INTERNAL "")

# Four characters as the big-endian integer hosts use, e.g. "bdl3" -> 1650748467.
function(brindle_four_char_code text out_var)
  string(LENGTH "${text}" length)
  if(NOT length EQUAL 4)
    message(FATAL_ERROR "four-character code '${text}' does not have four characters")
  endif()
  set(value 0)
  foreach(i RANGE 3)
    string(SUBSTRING "${text}" ${i} 1 char)
    string(HEX "${char}" hex)
    math(EXPR value "(${value} << 8) | 0x${hex}")
  endforeach()
  set(${out_var} ${value} PARENT_SCOPE)
endfunction()

# brindle_plugin_identity(PREFIX FILE): reads FILE, sets PREFIX_NAME, PREFIX_MAKER, PREFIX_VERSION,
# PREFIX_VERSION_WORD, PREFIX_UNIQUE_ID, PREFIX_MFR_ID, PREFIX_BUNDLE_ID, PREFIX_VIEW_CLASS,
# PREFIX_COCOA_SUFFIX, PREFIX_LV2_URI, PREFIX_CHANNEL_IO and PREFIX_GENERATED_DIR for the whole build,
# and writes PREFIX_GENERATED_DIR/PREFIXIdentity.h.
function(brindle_plugin_identity prefix file)
  set(keys NAME MAKER VERSION UNIQUE_ID MFR_ID BUNDLE_ID VIEW_CLASS COCOA_SUFFIX LV2_URI CHANNEL_IO)
  foreach(key IN LISTS keys)
    unset(PLUG_${key})
  endforeach()
  include(${file})
  foreach(key IN LISTS keys)
    if(NOT DEFINED PLUG_${key} OR PLUG_${key} STREQUAL "")
      message(FATAL_ERROR "${file} does not set PLUG_${key}")
    endif()
  endforeach()
  if(NOT PLUG_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
    message(FATAL_ERROR "${file}: PLUG_VERSION must be MAJOR.MINOR.PATCH, not '${PLUG_VERSION}'")
  endif()
  math(EXPR PLUG_VERSION_WORD "(${CMAKE_MATCH_1} << 16) | (${CMAKE_MATCH_2} << 8) | ${CMAKE_MATCH_3}")
  brindle_four_char_code("${PLUG_UNIQUE_ID}" PLUG_UNIQUE_ID_WORD)
  brindle_four_char_code("${PLUG_MFR_ID}" PLUG_MFR_ID_WORD)
  set(PLUG_PREFIX ${prefix})
  set(PLUG_IDENTITY_FILE ${file})
  set(generated_dir ${PROJECT_BINARY_DIR}/generated/${prefix})
  configure_file(${BRINDLE_PLUGIN_TEMPLATES_DIR}/PlugIdentity.h.in
                 ${generated_dir}/${prefix}Identity.h @ONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
  # Cache entries, so that every folder of the build (tools, installed files) sees them.
  foreach(key IN LISTS keys ITEMS VERSION_WORD UNIQUE_ID_WORD MFR_ID_WORD)
    set(${prefix}_${key} "${PLUG_${key}}" CACHE INTERNAL "")
  endforeach()
  set(${prefix}_GENERATED_DIR ${generated_dir} CACHE INTERNAL "")
  set(${prefix}_IDENTITY_FILE ${file} CACHE INTERNAL "")
endfunction()

# brindle_plugin_identity_include(TARGET PREFIX): TARGET (and whoever links it) sees PREFIXIdentity.h.
function(brindle_plugin_identity_include target prefix)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${PROJECT_BINARY_DIR}/generated/${prefix})
  else()
    target_include_directories(${target} PUBLIC ${PROJECT_BINARY_DIR}/generated/${prefix})
  endif()
endfunction()
