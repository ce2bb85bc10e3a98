# brplatform: our layers for sockets, dynamic loading and the critical section.
add_library(brplatform STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Sockets.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DynamicLibrary.cpp)
target_link_libraries(brplatform PUBLIC ${CMAKE_DL_LIBS} Threads::Threads)
