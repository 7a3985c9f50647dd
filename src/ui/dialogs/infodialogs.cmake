# The Info dialog with its net browser and property pages, the Select IO dialog and the
# window list for modules; included from the GUI library's CMakeLists.
target_sources(veltra_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/imagelist.h ${CMAKE_CURRENT_LIST_DIR}/imagelist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/infohost.h
  ${CMAKE_CURRENT_LIST_DIR}/liveobjects.h ${CMAKE_CURRENT_LIST_DIR}/liveobjects.cpp
  ${CMAKE_CURRENT_LIST_DIR}/loglist.h ${CMAKE_CURRENT_LIST_DIR}/loglist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/longfield.h ${CMAKE_CURRENT_LIST_DIR}/longfield.cpp
  ${CMAKE_CURRENT_LIST_DIR}/longtextview.h ${CMAKE_CURRENT_LIST_DIR}/longtextview.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mainformhost.h ${CMAKE_CURRENT_LIST_DIR}/mainformhost.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mdiwindowslist.h ${CMAKE_CURRENT_LIST_DIR}/mdiwindowslist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/modio.h ${CMAKE_CURRENT_LIST_DIR}/modio.cpp
  ${CMAKE_CURRENT_LIST_DIR}/multpagedlg.h ${CMAKE_CURRENT_LIST_DIR}/multpagedlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/multpagedlgfiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/multpagedlgfollow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/multpagedlgform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/multpagedlgmodules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/multpagedlgnodes.h
  ${CMAKE_CURRENT_LIST_DIR}/promptersource.h
  ${CMAKE_CURRENT_LIST_DIR}/sequencebytes.h ${CMAKE_CURRENT_LIST_DIR}/sequencebytes.cpp
)
