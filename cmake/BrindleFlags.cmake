# Compiler flags shared by every target.
# Floating-point contraction stays off so that DSP results are the same on every CPU.
add_compile_options(-Wall -Wextra -ffp-contract=off)
# A hidden name, a virtual that hides its base's overloads, a polymorphic class without a virtual
# destructor: each has been a real fault somewhere, so each is a warning here.
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Wshadow> $<$<COMPILE_LANGUAGE:CXX>:-Woverloaded-virtual>
                    $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor>)
# CI (make test) builds with warnings as errors, so none can land.
if(BRINDLE_WERROR)
  add_compile_options(-Werror)
endif()

# GCC 12's straight-line (SLP) vectoriser drops a double->float->double rounding when two such
# conversions are stored side by side; our DSP and raster results depend on that rounding.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-fno-tree-slp-vectorize)
endif()

if(BRINDLE_SANITIZE)
  add_compile_options(-fsanitize=${BRINDLE_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${BRINDLE_SANITIZE})
endif()


find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
