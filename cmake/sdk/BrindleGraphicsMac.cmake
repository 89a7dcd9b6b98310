# brindle_graphics_mac_library(NAME SUFFIX) for projects built against the installed framework: the
# editor host's view classes are compiled into each plug-in under its own class-name suffix, so their
# sources are installed beside this file (in the source tree, graphics/mac/CMakeLists.txt defines it).
include_guard(GLOBAL)

if(NOT COMMAND brindle_graphics_mac_library)
  file(GLOB BRINDLE_GRAPHICS_MAC_SOURCES ${CMAKE_CURRENT_LIST_DIR}/graphics-mac/*.cpp)
  set(BRINDLE_GRAPHICS_MAC_SOURCES ${BRINDLE_GRAPHICS_MAC_SOURCES} CACHE INTERNAL "")

  function(brindle_graphics_mac_library name suffix)
    brindle_library(${name} SOURCES ${BRINDLE_GRAPHICS_MAC_SOURCES} DEPS brindle_graphics brindle_platform)
    # Public: every file that names the view classes must spell them the same way.
    target_compile_definitions(${name} PUBLIC BRINDLE_COCOA_SUFFIX=${suffix})
  endfunction()
endif()
