# The toolkit's code both back-ends share: the event queue, the hand-over to
# the event-loop thread, the common gadget operations, chosen files and held
# removals, and the calls on windows, status bars, gadget constructors and
# sizes and the list's item slots, which reach the back-end only for the
# native work (internal/*_native.h, gadget_create.h, gadget_size.h,
# list_operations.h). Each back-end's CMakeLists.txt adds these to its
# kalvo_gui.
set(KALVO_GUI_SHARED_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/chosen_files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/event_queue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gadget_create.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gadget_dispatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gadget_size.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gui_handover.cpp
  ${CMAKE_CURRENT_LIST_DIR}/held_removal.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list_slots.cpp
  ${CMAKE_CURRENT_LIST_DIR}/statusbar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window.cpp
)
