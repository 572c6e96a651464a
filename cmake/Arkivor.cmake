# arkivor_library(name folder deps...): a static library of every .cpp in folder.
# A folder without sources yet gives an interface library, so that the tree builds
# while layers are filled in.
function(arkivor_library name folder)
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  file(GLOB _headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.h)
  file(GLOB _resources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.qrc)
  if(_sources)
    add_library(${name} STATIC ${_sources} ${_headers} ${_resources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARGN})
    set_target_properties(${name} PROPERTIES AUTORCC ON)
    target_compile_options(${name} PRIVATE -Wall -Wextra)
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# arkivor_test(name [SERIAL] SOURCES files... LIBS libs...): one GoogleTest executable,
# its cases registered with CTest. Widget tests run on the offscreen platform. SERIAL: cases
# that load every core, run while no other test does.
function(arkivor_test name)
  cmake_parse_arguments(T "SERIAL" "" "SOURCES;LIBS" ${ARGN})
  set(_serial "")
  if(T_SERIAL)
    set(_serial RUN_SERIAL TRUE)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} arkivor_testsupport GTest::gtest GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    ARKIVOR_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    ARKIVOR_BINARY_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ${_serial} TIMEOUT 300)
endfunction()
