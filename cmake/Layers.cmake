# The library layers, lowest first. Each folder is one static library, vorn_<folder>, that
# links the layer right below it (and through it every lower one). A layer compiles against
# a view of the source tree that holds only its own folder and the folders below it, so an
# include of a higher layer fails the build instead of passing review.
set(VORN_LAYERS platform core codecs imaging formats)

# Everything the programs, tests, benchmarks and fuzzers link: all layers.
add_library(vornlut INTERFACE)
target_include_directories(vornlut INTERFACE ${CMAKE_SOURCE_DIR})
target_compile_definitions(vornlut INTERFACE VORN_VERSION="${PROJECT_VERSION}")

# Called from each layer folder's CMakeLists.txt; every .cpp of the folder is compiled.
function(vorn_add_layer name)
  list(FIND VORN_LAYERS ${name} position)
  if(position LESS 0)
    message(FATAL_ERROR "${name} is not listed in VORN_LAYERS")
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(vorn_${name} STATIC ${sources})
  # Position-independent and hidden but for VORN_API (platform/Export.h): the same objects
  # make the programs and the shared library libvornlut (lib/).
  set_target_properties(vorn_${name} PROPERTIES POSITION_INDEPENDENT_CODE ON
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)

  set(view ${CMAKE_BINARY_DIR}/layer-views/${name})
  file(REMOVE_RECURSE ${view})
  file(MAKE_DIRECTORY ${view})
  foreach(i RANGE 0 ${position})
    list(GET VORN_LAYERS ${i} visible)
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${visible} ${view}/${visible} SYMBOLIC)
  endforeach()
  target_include_directories(vorn_${name} PRIVATE ${view})

  if(position GREATER 0)
    math(EXPR below "${position} - 1")
    list(GET VORN_LAYERS ${below} lower)
    target_link_libraries(vorn_${name} PUBLIC vorn_${lower})
  endif()
  target_link_libraries(vornlut INTERFACE vorn_${name})
endfunction()
