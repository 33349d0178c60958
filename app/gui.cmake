# The GUI program `orivan` (included from platform/ui/CMakeLists.txt, where the
# Qt back-end is defined). The core is linked whole so that every callback
# that registers itself by name is part of the program.
if(TARGET orivan_ui_qt)
  add_executable(orivan ${CMAKE_SOURCE_DIR}/app/orivan_main.cpp)
  orivan_link_whole_core(orivan)
  target_link_libraries(orivan PRIVATE orivan_ui_qt)
endif()
