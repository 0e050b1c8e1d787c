# What the web build (emscripten; scripts/build-web.sh) needs besides what
# emscripten brings (its own ports download at build time): zlib and
# meshoptimizer built from Debian's source, stb's folder, googletest, the
# native tools, and the flags of the programs that run under node.

# Debian's source of both, the versions the Linux build links, fetched once
# into _deps/ so that every build compiles the same code.
if(NOT EXISTS ${CMAKE_BINARY_DIR}/_deps/meshoptimizer OR NOT EXISTS ${CMAKE_BINARY_DIR}/_deps/zlib)
  execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/fetch-debian-source.sh
                          ${CMAKE_BINARY_DIR}/_deps libmeshoptimizer-dev zlib1g-dev
                  RESULT_VARIABLE rz_fetch_failed)
  if(rz_fetch_failed)
    message(FATAL_ERROR "cannot fetch the Debian source of meshoptimizer and zlib")
  endif()
endif()
set(RZ_MESHOPT_SOURCE_DIR ${CMAKE_BINARY_DIR}/_deps/meshoptimizer)
# The parts the game calls (the vertex cache and fetch orders) and their
# allocator: the rest would be compiled only to be left out of every link.
set(rz_meshopt_sources "")
foreach(part allocator vcacheoptimizer vfetchoptimizer)
  list(APPEND rz_meshopt_sources ${RZ_MESHOPT_SOURCE_DIR}/src/${part}.cpp)
endforeach()
add_library(meshoptimizer STATIC ${rz_meshopt_sources})
target_include_directories(meshoptimizer SYSTEM INTERFACE ${RZ_MESHOPT_SOURCE_DIR}/src)

# stb from libstb-dev: a folder of our own holding only its image headers,
# since /usr/include as a whole must not reach the cross compiler.
set(RZ_STB_INCLUDE_DIR ${CMAKE_BINARY_DIR}/_deps/stb)
file(MAKE_DIRECTORY ${RZ_STB_INCLUDE_DIR})
foreach(header stb_image.h stb_image_write.h stb_truetype.h)
  file(CREATE_LINK /usr/include/stb/${header} ${RZ_STB_INCLUDE_DIR}/${header} SYMBOLIC)
endforeach()

if(RIDEROZAD_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/native_tools.cmake)

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

# emscripten's JavaScript tools find their node modules (acorn) in Debian's
# folder, also when the build is run by hand rather than by build-web.sh.
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
set(CMAKE_C_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)

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

# rz_web_page_program(TARGET): a program of a browser page (the game, the
# frame report) with WebGL2 and the game's data package: the run folder the
# generator makes, mounted as the page's game folder, and the title texts'
# font, DejaVu Sans, the face the Linux game gets from fontconfig.
set(RZ_WEB_FONT /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf)
function(rz_web_page_program target)
  set(run ${RIDEROZAD_RUN_DIR})
  target_link_options(
    ${target} PRIVATE -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2 -sALLOW_MEMORY_GROWTH=1
    -sENVIRONMENT=web "SHELL:--exclude-file *.generated"
    "SHELL:--preload-file ${run}/Data@/riderozad/Data"
    "SHELL:--preload-file ${run}/L.wp@/riderozad/L.wp"
    "SHELL:--preload-file ${run}/R.wp@/riderozad/R.wp"
    "SHELL:--preload-file ${run}/M.mp3@/riderozad/M.mp3"
    "SHELL:--preload-file ${RZ_WEB_FONT}@/fonts/DejaVuSans.ttf")
  # The package is made at link time: it follows the generated world.
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${run}/Data/.generated ${RZ_WEB_FONT})
  add_dependencies(${target} rz_assets)
endfunction()
