# The tree format's reader and writer and the streams they run on.
set(brindle_tree_format_sources
  ${CMAKE_CURRENT_LIST_DIR}/CInputStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CIOStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CMemoryStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FastTreeStreamer.cpp)
# brcommon: streams, socket, tree format, message envelope, message catalogue.
add_library(brcommon STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CBRWebException.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CBRWebIOStreamException.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CEndofStreamException.cpp
  ${brindle_tree_format_sources}
  ${CMAKE_CURRENT_LIST_DIR}/CSocket.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BRMessage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageCatalogue.cpp)
target_link_libraries(brcommon PUBLIC brtree brplatform)

# brtreeformat: the tree format for a program that takes the tree and exception classes from
# libbradm.so (bradmtool's decode). It links libbradm.so for those classes and carries no copy
# of them, so the program gets one of each whatever the order of its link line. Built only for
# a program that links it.
add_library(brtreeformat STATIC EXCLUDE_FROM_ALL ${brindle_tree_format_sources})
target_link_libraries(brtreeformat PUBLIC bradm)
