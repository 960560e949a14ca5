# yanlan_library(<folder> <deps...>): one static library per source folder, named after it
function(yanlan_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(yanlan_${name} STATIC ${sources})
  target_include_directories(yanlan_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(yanlan_${name} PUBLIC ${ARGN})
endfunction()

# yanlan_tests(<deps...>): every tst_*.cpp of the folder is one Qt Test executable and one CTest test
function(yanlan_tests)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
  foreach(file ${tests})
    get_filename_component(name ${file} NAME_WE)
    add_executable(${name} ${file})
    target_link_libraries(${name} PRIVATE yanlan_testsupport Qt6::Test ${ARGN})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;YANLAN_BUILD_DIR=${CMAKE_BINARY_DIR}"
      TIMEOUT 600)
  endforeach()
endfunction()
