# What the web build (emscripten; scripts/build-web.sh) needs besides what
# emscripten brings: zlib built from Debian's source, as meshoptimizer is
# (emscripten's own ports download at build time), and the flags of the
# programs that run under node.
set(RZ_MORE_DEBIAN_SOURCES zlib zlib1g-dev)
include(${CMAKE_CURRENT_LIST_DIR}/cross_build.cmake)

# The parts of zlib that deflate and inflate; the .x reader only inflates.
set(RZ_ZLIB_SOURCE_DIR ${CMAKE_BINARY_DIR}/_deps/zlib)
set(rz_zlib_sources "")
foreach(part adler32 compress crc32 deflate inffast inflate inftrees trees uncompr zutil)
  list(APPEND rz_zlib_sources ${RZ_ZLIB_SOURCE_DIR}/${part}.c)
endforeach()
add_library(zlib STATIC ${rz_zlib_sources})
target_include_directories(zlib SYSTEM INTERFACE ${RZ_ZLIB_SOURCE_DIR})
add_library(ZLIB::ZLIB ALIAS zlib)
# Other people's code, built as the Debian packages build it; googletest's
# own code need not be fast, and compiles in a third of the time unoptimised.
foreach(library zlib meshoptimizer)
  target_compile_options(${library} PRIVATE -O2 -w)
endforeach()
if(TARGET gtest)
  target_compile_options(gtest PRIVATE -O0)
  target_compile_options(gtest_main PRIVATE -O0)
endif()

# rz_node_program(TARGET [QUICK_LINK]): a program that runs under node (the
# tools, the tests) and reads and writes the real file system, synchronously.
# QUICK_LINK skips binaryen's optimisation of the whole program at link time,
# half a minute of processor for each; its code is compiled optimised all the
# same. For the programs that only the tests run.
function(rz_node_program target)
  target_link_options(${target} PRIVATE -sNODERAWFS=1 -sEXIT_RUNTIME=1
                      -sWASM_ASYNC_COMPILATION=0 -sALLOW_MEMORY_GROWTH=1)
  if("${ARGN}" STREQUAL QUICK_LINK)
    target_link_options(${target} PRIVATE -O1)
  endif()
endfunction()
