# The Execution Browser with its Run List, the dynamics view with its printout, and the
# Options dialog; included from the GUI library's CMakeLists.
find_package(Qt6 REQUIRED COMPONENTS PrintSupport)
target_sources(veltra_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/dynamicform.h ${CMAKE_CURRENT_LIST_DIR}/dynamicform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hinttext.h ${CMAKE_CURRENT_LIST_DIR}/hinttext.cpp
  ${CMAKE_CURRENT_LIST_DIR}/kindicon.h ${CMAKE_CURRENT_LIST_DIR}/kindicon.cpp
  ${CMAKE_CURRENT_LIST_DIR}/machineline.h ${CMAKE_CURRENT_LIST_DIR}/machineline.cpp
  ${CMAKE_CURRENT_LIST_DIR}/options.h ${CMAKE_CURRENT_LIST_DIR}/options.cpp
  ${CMAKE_CURRENT_LIST_DIR}/runbrowser.h ${CMAKE_CURRENT_LIST_DIR}/runbrowser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/runlist.h ${CMAKE_CURRENT_LIST_DIR}/runlist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/runviewmodel.h ${CMAKE_CURRENT_LIST_DIR}/runviewmodel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stepworker.h ${CMAKE_CURRENT_LIST_DIR}/stepworker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/runsteering.h ${CMAKE_CURRENT_LIST_DIR}/runsteering.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stopwhen.h ${CMAKE_CURRENT_LIST_DIR}/stopwhen.cpp
  ${CMAKE_CURRENT_LIST_DIR}/plotwindow.h ${CMAKE_CURRENT_LIST_DIR}/plotwindow.cpp
)
target_link_libraries(veltra_ui PUBLIC veltra_plotdata Qt6::PrintSupport)

if(VELTRA_BUILD_BENCH)
  add_executable(veltra_runview_bench ${PROJECT_SOURCE_DIR}/bench/runview_bench.cpp)
  target_link_libraries(veltra_runview_bench PRIVATE veltra_ui veltra_warnings)
  add_executable(veltra_plot_bench ${PROJECT_SOURCE_DIR}/bench/plot_bench.cpp)
  target_link_libraries(veltra_plot_bench PRIVATE veltra_ui veltra_warnings)
  add_executable(veltra_longtext_bench ${PROJECT_SOURCE_DIR}/bench/longtext_bench.cpp)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  target_link_libraries(veltra_longtext_bench PRIVATE veltra_ui veltra_warnings Qt6::Test)
endif()
