# Compiler flags shared by every target of the project.
add_library(odc_warnings INTERFACE)
target_compile_options(odc_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
    -Wold-style-cast -Wno-deprecated-declarations)

if(ODC_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
if(ODC_BUILD_FUZZERS)
    # Every part a fuzzer links carries the coverage that guides it and the sanitizers' checks.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
if(ODC_COVERAGE)
    # The server's threads share the protocol code: atomic counters keep their counts exact.
    add_compile_options(--coverage -fprofile-update=atomic -O0 -fno-inline)
    add_link_options(--coverage)
endif()
