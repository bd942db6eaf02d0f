# Compiler settings of the fuzz build tree (KERULO_FUZZ=ON).
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "KERULO_FUZZ needs clang's libFuzzer: configure with CXX=clang++")
endif()

# Every object of ours carries the fuzzer's coverage hooks and both sanitizers; only the fuzz
# targets link libFuzzer's main (see kerulo_add_fuzz_target). Undefined behaviour stops the run
# like a crash instead of printing and carrying on. Qt, libpng, libjpeg and SQLite come from the
# system uninstrumented: their own faults show only where our code touches their memory.
set(KERULO_SANITIZERS address,undefined)
add_compile_options(-fsanitize=fuzzer-no-link,${KERULO_SANITIZERS}
                    -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
add_link_options(-fsanitize=${KERULO_SANITIZERS})
