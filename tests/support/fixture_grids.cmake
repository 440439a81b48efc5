# The grid image builders (grid_images.hpp) without GoogleTest, for the test support library and the
# benchmarks. Included from tests/support and from bench/, so it is defined in whichever comes first
# and exists when either the tests or the benchmarks are built alone.
if(NOT TARGET velmora_fixture_grids)
  add_library(velmora_fixture_grids STATIC ${CMAKE_CURRENT_LIST_DIR}/grid_images.cpp)
  target_include_directories(velmora_fixture_grids PUBLIC ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR})
  target_link_libraries(velmora_fixture_grids PUBLIC velmora_gridfile)
endif()
