# Small helpers so that each folder's CMakeLists.txt stays a few lines long.

# brindle_library(NAME SOURCES ... [DEPS ...])
function(brindle_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  if(NOT ARG_SOURCES)
    # A subsystem with no sources yet is still a target others can link against.
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${ARG_SOURCES})
  # Headers are named from the top of the tree; installed, from PREFIX/include/brindle.
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
                                            $<INSTALL_INTERFACE:include/brindle>)
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# brindle_test(NAME SOURCES ... [DEPS ...] [RESOURCE_LOCK NAME]) — one GoogleTest binary, its cases
# registered with CTest; cases sharing a RESOURCE_LOCK (a JACK server, say) never run at the same time.
function(brindle_test name)
  cmake_parse_arguments(ARG "" "RESOURCE_LOCK" "SOURCES;DEPS" ${ARGN})
  find_package(GTest REQUIRED)
  include(GoogleTest)
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  # The lock goes first: discovery writes the environment's list out as separate words.
  set(lock)
  if(ARG_RESOURCE_LOCK)
    set(lock RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ${lock} ENVIRONMENT "BRINDLE_SOURCE_DIR=${PROJECT_SOURCE_DIR};BRINDLE_BINARY_DIR=${PROJECT_BINARY_DIR}")
endfunction()

# brindle_bench(NAME SOURCES ... [DEPS ...])
function(brindle_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark Threads::Threads)
endfunction()

# brindle_header_checks(OUT_VAR FOLDER [ROOT DIR]) — every public header of FOLDER must compile on its
# own: appends to OUT_VAR one generated source per header that includes only that header (twice, so a
# missing include guard shows too), compiled with warnings as errors. Headers are named relative to
# ROOT (default: the repository root), the way their users include them.
function(brindle_header_checks out_var folder)
  cmake_parse_arguments(ARG "" "ROOT" "" ${ARGN})
  if(NOT ARG_ROOT)
    set(ARG_ROOT ${PROJECT_SOURCE_DIR})
  endif()
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.h)
  set(generated_sources)
  foreach(header IN LISTS headers)
    file(RELATIVE_PATH include_name ${ARG_ROOT} ${header})
    string(MAKE_C_IDENTIFIER ${include_name} stem)
    set(generated ${CMAKE_CURRENT_BINARY_DIR}/selfcontained/${stem}.cpp)
    file(CONFIGURE OUTPUT ${generated} CONTENT "#include \"${include_name}\"\n#include \"${include_name}\"\n")
    set_source_files_properties(${generated} PROPERTIES COMPILE_OPTIONS -Werror)
    list(APPEND generated_sources ${generated})
  endforeach()
  set(${out_var} ${${out_var}} ${generated_sources} PARENT_SCOPE)
endfunction()
