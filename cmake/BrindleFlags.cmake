# Compiler flags shared by every target.
# Floating-point contraction stays off so that DSP results are the same on every CPU.
add_compile_options(-Wall -Wextra -ffp-contract=off)

if(BRINDLE_SANITIZE)
  add_compile_options(-fsanitize=${BRINDLE_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${BRINDLE_SANITIZE})
endif()

# Everything includes public headers by their path from the repository root.
include_directories(${PROJECT_SOURCE_DIR})

find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
