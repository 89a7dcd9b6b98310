# `cmake --install` of the framework as an SDK, beside the command and Brindle's own bundles:
#   include/brindle/<folder>/*.h         the public headers: every header of the framework's library
#                                        folders (tools, effect and tests are private)
#   lib/brindle/                         the static libraries, the platform library and the hidden
#                                        platform objects that plug-in modules carry
#   lib/cmake/BrindleFramework/          the CMake package: the targets, brindle_add_plugin and the
#                                        format functions with their templates
# The whole is relocatable: the package finds everything relative to itself, so an install staged
# under DESTDIR works where it lies.
include_guard(GLOBAL)
include(CMakePackageConfigHelpers)

set(BRINDLE_SDK_HEADER_FOLDERS containers platform gdi raster plugcore lv2 clap au graphics)
set(BRINDLE_SDK_LIBRARIES brindle_containers brindle_platform brindle_platform_x11 brindle_gdi brindle_raster
    brindle_plugcore brindle_lv2 brindle_lv2_ttl brindle_clap brindle_graphics brindle_au brindle_image_canvas)
if(TARGET brindle_vst3)
  list(APPEND BRINDLE_SDK_HEADER_FOLDERS vst3)
  list(APPEND BRINDLE_SDK_LIBRARIES brindle_vst3)
endif()
_brindle_hidden_platform_objects()

foreach(library IN LISTS BRINDLE_SDK_LIBRARIES)
  target_compile_features(${library} INTERFACE cxx_std_17)
endforeach()
install(TARGETS ${BRINDLE_SDK_LIBRARIES} brindle_hidden_platform EXPORT BrindleFrameworkTargets
  ARCHIVE DESTINATION lib/brindle
  LIBRARY DESTINATION lib/brindle
  OBJECTS DESTINATION lib/brindle/objects)
set(package_dir lib/cmake/BrindleFramework)
install(EXPORT BrindleFrameworkTargets DESTINATION ${package_dir})

foreach(folder IN LISTS BRINDLE_SDK_HEADER_FOLDERS)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${folder} DESTINATION include/brindle FILES_MATCHING PATTERN "*.h")
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/tools/imagegen/ImageCanvas.h DESTINATION include/brindle/tools/imagegen)

set(BRINDLE_SDK_VERSION $CACHE{Brindle_VERSION})
configure_file(${PROJECT_SOURCE_DIR}/cmake/sdk/BrindleFrameworkConfig.cmake.in
               ${PROJECT_BINARY_DIR}/sdk/BrindleFrameworkConfig.cmake @ONLY)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/sdk/BrindleFrameworkConfigVersion.cmake
                                 VERSION ${BRINDLE_SDK_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/sdk/BrindleFrameworkConfig.cmake
              ${PROJECT_BINARY_DIR}/sdk/BrindleFrameworkConfigVersion.cmake
              ${PROJECT_SOURCE_DIR}/cmake/BrindleTargets.cmake ${PROJECT_SOURCE_DIR}/cmake/BrindlePlugin.cmake
              ${PROJECT_SOURCE_DIR}/cmake/BrindleHiddenBundle.cmake ${PROJECT_SOURCE_DIR}/cmake/BrindleAddPlugin.cmake
              ${PROJECT_SOURCE_DIR}/cmake/sdk/BrindleGraphicsMac.cmake
        DESTINATION ${package_dir})
install(FILES ${PROJECT_SOURCE_DIR}/cmake/templates/PlugIdentity.h.in DESTINATION ${package_dir}/templates)
install(FILES ${PROJECT_SOURCE_DIR}/lv2/LV2Bundle.cmake ${PROJECT_SOURCE_DIR}/lv2/LV2Entry.cpp.in
              ${PROJECT_SOURCE_DIR}/lv2/LV2BundleTool.cpp DESTINATION ${package_dir}/lv2)
install(FILES ${PROJECT_SOURCE_DIR}/clap/ClapBundle.cmake ${PROJECT_SOURCE_DIR}/clap/ClapEntry.cpp.in
              ${PROJECT_SOURCE_DIR}/clap/Info.plist.in DESTINATION ${package_dir}/clap)
install(FILES ${PROJECT_SOURCE_DIR}/au/component/AUComponent.cmake
              ${PROJECT_SOURCE_DIR}/au/component/ComponentEntry.cpp.in ${PROJECT_SOURCE_DIR}/au/component/Info.plist.in
              ${PROJECT_SOURCE_DIR}/au/component/exports.map.in DESTINATION ${package_dir}/au)
if(TARGET brindle_vst3)
  # Vst3Bundle.cmake with every template it configures.
  file(GLOB vst3_files ${PROJECT_SOURCE_DIR}/vst3/*.cmake ${PROJECT_SOURCE_DIR}/vst3/*.in)
  install(FILES ${vst3_files} DESTINATION ${package_dir}/vst3)
endif()
install(FILES ${BRINDLE_GRAPHICS_MAC_SOURCES} DESTINATION ${package_dir}/graphics-mac)

# Everything the SDK installs, for `make install` to build without the tests and benchmarks.
add_custom_target(brindle_sdk)
add_dependencies(brindle_sdk ${BRINDLE_SDK_LIBRARIES} brindle_hidden_platform)

# The bundle is copied from the build tree, where it found the platform library by a build path; the
# installed one shares the library already loaded by its host.
install(CODE "file(RPATH_REMOVE FILE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/brindle/Brindle.component/Contents/Brindle.so\")")
