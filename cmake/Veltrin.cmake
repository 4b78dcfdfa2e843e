# Helpers that keep each area's build description next to its code.
#
# veltrin_core_library(<area> SOURCES ... [DEPENDS ...])
#   plain C++ library veltrin_<area>; it never sees Qt's include paths, so a Qt
#   include in core code fails to compile.
# veltrin_ui_library(<area> SOURCES ... [DEPENDS ...])
#   Qt library veltrin_<area>_ui.
# veltrin_test(<name> SOURCES ... DEPENDS ... [UI])
#   GoogleTest executable registered with CTest; UI tests run offscreen.
#   WEB: a UI test that shows document editors (the engine is prepared
#   before the application object exists).
#   ENGINE: a test whose program starts the document engine; WEB implies it.

function(veltrin_core_library area)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(veltrin_${area} STATIC ${ARG_SOURCES})
  target_include_directories(veltrin_${area} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(veltrin_${area} PUBLIC ${ARG_DEPENDS})
endfunction()

function(veltrin_ui_library area)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(veltrin_${area}_ui STATIC ${ARG_SOURCES})
  target_include_directories(veltrin_${area}_ui PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(veltrin_${area}_ui PUBLIC ${ARG_DEPENDS} Qt6::Widgets)
endfunction()

function(veltrin_test name)
  cmake_parse_arguments(ARG "UI;WEB;ENGINE" "" "SOURCES;DEPENDS" ${ARGN})
  set(engine_properties)
  if(ARG_WEB OR ARG_ENGINE)
    set(engine_properties ${VELTRIN_ENGINE_TEST_PROPERTIES})
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} GTest::gtest GTest::gmock)
  if(ARG_WEB)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/ui_web_main.cpp)
    target_link_libraries(${name} PRIVATE Qt6::Test Qt6::Widgets veltrin_documents_ui veltrin_base)
    target_compile_definitions(${name} PRIVATE VELTRIN_TEMPLATE_SOURCE="${PROJECT_SOURCE_DIR}/templates"
      VELTRIN_EDITOR_MODULE_FILE="$<TARGET_FILE:veltrin_webeditor>")
    add_dependencies(${name} veltrin_webeditor)
    gtest_discover_tests(${name}
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" ${engine_properties}
      DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
  elseif(ARG_UI)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/ui_main.cpp)
    target_link_libraries(${name} PRIVATE Qt6::Test Qt6::Widgets veltrin_base)
    gtest_discover_tests(${name}
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
      DISCOVERY_MODE PRE_TEST)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
    if(engine_properties)
      gtest_discover_tests(${name} PROPERTIES ${engine_properties} DISCOVERY_MODE PRE_TEST)
    else()
      gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST)
    endif()
  endif()
endfunction()
