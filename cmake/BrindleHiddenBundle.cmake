# brindle_hidden_bundle_library(<target> EXPORTS <symbol>... [PLATFORM])
#
# Turns <target>, a MODULE library, into a plug-in binary for a host that knows nothing of our
# frameworks (LV2, CLAP, VST3): the library carries all of its own code and exports nothing but its
# entry points, so that two plug-ins built from different framework versions can sit in one host
# process, loaded with RTLD_LOCAL or RTLD_GLOBAL, without one using the other's classes, statics or
# run-time type information.
#
#   - Everything is compiled with -fvisibility=hidden -fvisibility-inlines-hidden (the framework's
#     static libraries are position-independent already, CMAKE_POSITION_INDEPENDENT_CODE).
#   - A version script exports EXPORTS and makes every other symbol local: inline functions,
#     template instances, typeinfo and vtables that the compiler emits as weak or unique symbols
#     included. --exclude-libs,ALL keeps the static libraries' symbols out as well.
#   - -Bsymbolic binds the library's own references to its own definitions, entry points too.
#   - PLATFORM links in a private copy of the platform stand-ins (without the X11 window backend)
#     for a product whose code reaches into them; --as-needed then drops the shared platform
#     library, which the framework libraries name, from the library's run-time dependencies.
#
# Check the result with `nm -D --defined-only <library>`: it lists the entry points alone.
include_guard(GLOBAL)

function(brindle_hidden_bundle_library target)
  cmake_parse_arguments(ARG "PLATFORM" "" "EXPORTS" ${ARGN})
  if(NOT ARG_EXPORTS)
    message(FATAL_ERROR "brindle_hidden_bundle_library: EXPORTS is missing")
  endif()
  get_target_property(type ${target} TYPE)
  if(NOT type STREQUAL "MODULE_LIBRARY" AND NOT type STREQUAL "SHARED_LIBRARY")
    message(FATAL_ERROR "brindle_hidden_bundle_library: ${target} is not a shared or module library")
  endif()

  list(JOIN ARG_EXPORTS ";\n    " globals)
  set(map ${CMAKE_CURRENT_BINARY_DIR}/${target}.exports.map)
  file(CONFIGURE OUTPUT ${map} CONTENT "{\n  global:\n    ${globals};\n  local:\n    *;\n};\n")

  target_compile_options(${target} PRIVATE -fvisibility=hidden -fvisibility-inlines-hidden)
  target_link_options(${target} PRIVATE -Wl,--version-script=${map} -Wl,--no-undefined -Wl,--exclude-libs,ALL
                      -Wl,-Bsymbolic -Wl,--as-needed)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${map})
  if(ARG_PLATFORM)
    _brindle_hidden_platform_objects()
    # Linked directly, an object library's objects join the target's own, ahead of every library
    # on the link line: the shared platform library then provides nothing and is dropped.
    target_link_libraries(${target} PRIVATE brindle_hidden_platform)
  endif()
endfunction()

# The platform stand-ins compiled once more, hidden, for bundles that carry their own copy.
function(_brindle_hidden_platform_objects)
  if(TARGET brindle_hidden_platform)
    return()
  endif()
  if(NOT BRINDLE_PLATFORM_SOURCES)
    message(FATAL_ERROR "brindle_hidden_bundle_library: the platform folder has not been read yet")
  endif()
  set(sources ${BRINDLE_PLATFORM_SOURCES})
  list(FILTER sources EXCLUDE REGEX "/X11Host/")
  pkg_check_modules(BRINDLE_HIDDEN_PLIST REQUIRED IMPORTED_TARGET GLOBAL libplist-2.0)
  add_library(brindle_hidden_platform OBJECT ${sources})
  target_include_directories(brindle_hidden_platform PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/platform> $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
    $<INSTALL_INTERFACE:include/brindle/platform> $<INSTALL_INTERFACE:include/brindle>)
  target_compile_options(brindle_hidden_platform PRIVATE -fvisibility=hidden -fvisibility-inlines-hidden)
  target_link_libraries(brindle_hidden_platform PUBLIC brindle_gdi PkgConfig::BRINDLE_HIDDEN_PLIST ${CMAKE_DL_LIBS}
                                                       Threads::Threads)
endfunction()
