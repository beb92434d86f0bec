# tm_shell: the window services on Qt, the skinned button, the loading window, dialog-unit
# conversion, and the bitmaps and cursors the program draws itself (res/).
set(TM_RES_DIR ${PROJECT_SOURCE_DIR}/res)
add_library(tm_shell STATIC
    ${CMAKE_CURRENT_LIST_DIR}/ActiveViewFocus.h ${CMAKE_CURRENT_LIST_DIR}/ActiveViewFocus.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CxSkinButton.h ${CMAKE_CURRENT_LIST_DIR}/CxSkinButton.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DialogUnits.h ${CMAKE_CURRENT_LIST_DIR}/DialogUnits.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LoadDlg.h ${CMAKE_CURRENT_LIST_DIR}/LoadDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QtWindowServices.h ${CMAKE_CURRENT_LIST_DIR}/QtWindowServices.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ShellPolicy.h ${CMAKE_CURRENT_LIST_DIR}/ShellPolicy.cpp
    ${TM_RES_DIR}/ResourceIds.h
    ${TM_RES_DIR}/DrawnBitmaps.h ${TM_RES_DIR}/DrawnBitmaps.cpp
    ${TM_RES_DIR}/Cursors.h ${TM_RES_DIR}/Cursors.cpp
)
target_include_directories(tm_shell PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${TM_RES_DIR})
target_link_libraries(tm_shell PUBLIC tm_base Qt6::Widgets)
