# tm_frame: application object, document, main frame with its panes, menus and keys, and
# topic navigation in the HTML pane. The executable `TrevalonMedia` sits at the top of the
# build tree, so that the generated content folder `source/` stands beside it.
set(_frame ${CMAKE_CURRENT_LIST_DIR})
add_library(tm_frame STATIC
    ${_frame}/AboutBox.h ${_frame}/AboutBox.cpp
    ${_frame}/CKovrelApp.h ${_frame}/CKovrelApp.cpp
    ${_frame}/CKovrelDoc.h
    ${_frame}/CMainFrame.h ${_frame}/CMainFrame.cpp
    ${_frame}/CommandLine.h ${_frame}/CommandLine.cpp
    ${_frame}/ControlKeyRule.h ${_frame}/ControlKeyRule.cpp
    ${_frame}/HtmlView.h ${_frame}/HtmlView.cpp
    ${_frame}/PaneActions.h
    ${_frame}/PaneLayout.h ${_frame}/PaneLayout.cpp
    ${_frame}/PaneViews.h ${_frame}/PaneViews.cpp
    ${_frame}/PlaceholderPane.h ${_frame}/PlaceholderPane.cpp
    ${_frame}/PlaceholderTopicTarget.h ${_frame}/PlaceholderTopicTarget.cpp
    ${_frame}/RecentFiles.h ${_frame}/RecentFiles.cpp
    ${_frame}/ScreenshotJob.h ${_frame}/ScreenshotJob.cpp
    ${_frame}/SourceFolder.h ${_frame}/SourceFolder.cpp
    ${_frame}/TopicLinks.h ${_frame}/TopicLinks.cpp
    ${_frame}/TopicPage.h ${_frame}/TopicPage.cpp
    ${_frame}/TopicTarget.h
)
target_include_directories(tm_frame PUBLIC ${_frame})
target_link_libraries(tm_frame PUBLIC tm_view tm_shell tm_base Qt6::Widgets Qt6::WebEngineWidgets)

qt_add_executable(TrevalonMedia ${_frame}/main.cpp)
target_link_libraries(TrevalonMedia PRIVATE tm_frame)
set_target_properties(TrevalonMedia PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
    MACOSX_BUNDLE OFF)
