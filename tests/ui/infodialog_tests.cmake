# Tests of the Info dialog, the Select IO and window list dialogs and modules built in the
# editor; included from this folder's CMakeLists into the one GUI test program.
target_sources(ui_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/infotestsupport.h
  ${CMAKE_CURRENT_LIST_DIR}/infodialog_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/infovalues_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/infoundo_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/modio_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/moduleeditor_test.cpp
)
