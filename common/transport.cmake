# brcommon: streams, socket, tree format, message envelope, message catalogue.
add_library(brcommon STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CBRWebException.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CBRWebIOStreamException.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CEndofStreamException.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CInputStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CIOStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CMemoryStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CSocket.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FastTreeStreamer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BRMessage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageCatalogue.cpp)
target_link_libraries(brcommon PUBLIC brtree brplatform)
