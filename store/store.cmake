# tm_store: object records, fragment and lesson loading and saving.
add_library(tm_store STATIC
    ObjectRecord.h ObjectRecord.cpp
    StreamNameTable.h StreamNameTable.cpp
    FileReplacement.h FileReplacement.cpp
    FragmentSink.h
    RecordPipeline.h RecordPipeline.cpp
    FragmentLoading.h FragmentLoading.cpp
    LessonSaving.h LessonSaving.cpp
)
target_include_directories(tm_store PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tm_store PUBLIC tm_model tm_container Qt6::Core Qt6::Concurrent)
