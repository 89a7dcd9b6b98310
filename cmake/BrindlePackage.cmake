# `make package`: one Debian package, brindle, with the command and its manual page, Brindle's
# bundles in the system's plug-in folders (/usr/lib/lv2, /usr/lib/clap, /usr/lib/vst3, and the
# component in /usr/lib/brindle) and the framework for plug-in developers (/usr/include/brindle,
# /usr/lib/brindle, /usr/lib/cmake/BrindleFramework). Built with CPack from the install rules.
include_guard(GLOBAL)

set(BRINDLE_PACKAGE_VERSION $CACHE{Brindle_VERSION})
set(BRINDLE_PACKAGE_MAINTAINER "Brindle developers <brindle@example.org>" CACHE STRING
    "The Maintainer field of the Debian package")
install(FILES ${PROJECT_SOURCE_DIR}/cmake/package/copyright DESTINATION share/doc/brindle)
configure_file(${PROJECT_SOURCE_DIR}/cmake/package/changelog ${PROJECT_BINARY_DIR}/package/changelog @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/package/changelog DESTINATION share/doc/brindle)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brindle)
set(CPACK_PACKAGE_VERSION ${BRINDLE_PACKAGE_VERSION})
set(CPACK_PACKAGE_VENDOR "the Brindle developers")
set(CPACK_PACKAGE_CONTACT "${BRINDLE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fuzz-distortion audio plug-in and its plug-in framework")
set(CPACK_PACKAGE_DESCRIPTION
  "Brindle is a fuzz-distortion effect for LV2, CLAP and VST3 hosts, with the\n\
brindle command that renders sound files through it, validates it, shows its\n\
editor and plays it live on JACK. The package also holds the framework it is\n\
built on (headers, static libraries and a CMake package) and brindle\n\
new-plugin, which starts a plug-in of one's own.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/platform)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/package/prepare-package.cmake)
# CPack installs through the build system's preinstall target, which would first build everything,
# tests and benchmarks included; `make package` builds what is installed beforehand.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR}/package)
include(CPack)
