# Tests: native unit and contract tests with the stand-ins; on Windows (and
# under Wine when cross-compiled) the contract tests against the real API and
# the end-to-end tests that drive ZelkorBackup.exe.
set(ZB_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources for a cross build")
if(CMAKE_CROSSCOMPILING AND EXISTS "${ZB_GTEST_SOURCE_DIR}/CMakeLists.txt")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory("${ZB_GTEST_SOURCE_DIR}" googletest EXCLUDE_FROM_ALL)
  foreach(lib gtest gtest_main gmock)
    if(NOT TARGET GTest::${lib})
      add_library(GTest::${lib} ALIAS ${lib})
    endif()
  endforeach()
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

file(GLOB ZB_CONTRACT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/contract/*.cpp)

if(NOT WIN32)
  file(GLOB ZB_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
  add_executable(unit_tests ${ZB_UNIT_TESTS})
  target_link_libraries(unit_tests PRIVATE ${ZB_PLATFORM_LIBRARY} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(unit_tests PROPERTIES LABELS native)

  add_executable(contract_tests ${ZB_CONTRACT_TESTS})
  target_link_libraries(contract_tests PRIVATE ${ZB_PLATFORM_LIBRARY} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(contract_tests PROPERTIES LABELS native)
else()
  # Under Wine every exe start costs a Wine process: one test entry per binary.
  file(GLOB ZB_WIN32_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
  add_executable(contract_tests ${ZB_CONTRACT_TESTS} ${ZB_WIN32_TESTS})
  target_link_libraries(contract_tests PRIVATE ${ZB_PLATFORM_LIBRARY} GTest::gtest GTest::gtest_main)
  add_test(NAME contract_tests COMMAND contract_tests)
  set_tests_properties(contract_tests PROPERTIES LABELS wine)
  # The settings file under the ANSI code pages of other languages (1253,
  # 932): the prefix takes its code page from the locale.
  foreach(lang el_GR ja_JP)
    add_test(NAME contract_profile_${lang}
             COMMAND contract_tests --gtest_filter=ProfileContract.FileKeepsItsCodePageUntilATextDoesNotFit)
    set_tests_properties(contract_profile_${lang} PROPERTIES LABELS wine ENVIRONMENT ZB_WINE_LANG=${lang}.UTF-8)
  endforeach()

  file(GLOB ZB_E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
  add_executable(e2e_tests ${ZB_E2E_TESTS})
  target_include_directories(e2e_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/e2e)
  target_link_libraries(e2e_tests PRIVATE ${ZB_PLATFORM_LIBRARY} GTest::gtest GTest::gtest_main)
  add_dependencies(e2e_tests ZelkorBackup)
  add_test(NAME e2e_tests COMMAND e2e_tests --exe=$<TARGET_FILE_NAME:ZelkorBackup>)
  set_tests_properties(e2e_tests PROPERTIES LABELS "wine;e2e" RUN_SERIAL ON TIMEOUT 1200)
endif()
