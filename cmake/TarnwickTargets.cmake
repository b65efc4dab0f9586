# Shared target helpers: one static library per layer, sources found by glob.

set(TARNWICK_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast
  -Wnon-virtual-dtor -Woverloaded-virtual -Wformat=2 -Wcast-align -Wmissing-declarations)

function(tarnwick_warnings target)
  target_compile_options(${target} PRIVATE ${TARNWICK_WARNINGS})
  if(TARNWICK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  # GCC's maybe-uninitialized analysis reports false positives inside the
  # standard library (<regex>, std::function) once the sanitizers instrument it.
  if(TARNWICK_SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wno-maybe-uninitialized)
  endif()
endfunction()

# tarnwick_layer(<name> DEPS <targets...>): library tarnwick_<name> from src/<name>/*.cpp.
# A layer without sources yet is an interface library so dependants still link.
# main.cpp and fixed_res_dir.cpp belong to each executable, not to a layer.
function(tarnwick_layer name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER srcs EXCLUDE REGEX ".*/(main|fixed_res_dir)\\.cpp$")
  set(target tarnwick_${name})
  if(srcs)
    add_library(${target} STATIC ${srcs})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${target} PUBLIC ${ARG_DEPS})
    tarnwick_warnings(${target})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${target} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# tarnwick_fixed_res_dir(<target> <folder>): an object library defining
# fixed_res_dir() (src/core/fixed_res_dir.h) as <folder>. Every executable
# that links the layers links exactly one of them.
function(tarnwick_fixed_res_dir target folder)
  # The folder becomes a C++ string literal.
  string(REPLACE "\\" "\\\\" literal "${folder}")
  string(REPLACE "\"" "\\\"" literal "${literal}")
  add_library(${target} OBJECT ${PROJECT_SOURCE_DIR}/src/core/fixed_res_dir.cpp)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_compile_definitions(${target} PRIVATE TARNWICK_FIXED_RES_DIR="${literal}")
  tarnwick_warnings(${target})
endfunction()
