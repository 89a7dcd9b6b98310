# Run by CPack on the staged install before it builds the package (CPACK_PRE_BUILD_SCRIPTS):
#   - Debian keeps manual pages and the changelog gzip-compressed, which `cmake --install` does not;
#   - the plug-in bundles are copied as directories, so CPACK_STRIP_FILES does not reach their
#     binaries: they are stripped here (their dynamic symbols, the entry points, stay).
file(GLOB_RECURSE to_compress
  ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/*.1 ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/doc/*/changelog)
foreach(file IN LISTS to_compress)
  execute_process(COMMAND gzip -9 -n -f ${file} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot compress ${file}")
  endif()
endforeach()
file(GLOB_RECURSE binaries ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.so ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.clap)
foreach(file IN LISTS binaries)
  execute_process(COMMAND strip --strip-unneeded --remove-section=.comment --remove-section=.note ${file}
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot strip ${file}")
  endif()
endforeach()
