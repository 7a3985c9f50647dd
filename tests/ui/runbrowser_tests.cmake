# Tests of the Execution Browser, the dynamics view with its printout and the Options
# dialog; included from this folder's CMakeLists into the one GUI test program.
target_sources(ui_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/runbrowser_fixture.h
  ${CMAKE_CURRENT_LIST_DIR}/runbrowser_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/machineline_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/runsteering_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/plot_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dynamics_view_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/options_test.cpp
)
