# brportal: the publishing flow (PortalPublisher, the portal's requests, the bindings of
# the outside libraries, the string table and the module), as objects shared by
# libBRCUtil.so and the tests that script the outside systems.
add_library(brportal OBJECT
  ${CMAKE_CURRENT_LIST_DIR}/BRCUtilModule.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BradmReportServer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CPromptProperties.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LumoraPortalConnection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NoUiPublishing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortalPublisher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortalRequests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortalServices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortalStrings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QueryParameter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SentrelSecurityLibrary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TessaronLogonDialog.cpp)
target_link_libraries(brportal PUBLIC brui brxml brplatform bradm)

# libBRCUtil.so: the flow, the exported entry points and the library's attachment to the
# resource chain.
add_library(BRCUtil SHARED
  ${CMAKE_CURRENT_LIST_DIR}/ModuleAttachment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NoUiEntryPoints.cpp)
target_link_libraries(BRCUtil PRIVATE brportal brxml brplatform PUBLIC brui bradm)
# The version script is the export list: the entry points and the host's options record.
# Everything else stays local, which also lets the library be unloaded again.
set(brcutil_exports ${CMAKE_CURRENT_LIST_DIR}/BRCUtil.map)
target_link_options(BRCUtil PRIVATE "LINKER:--version-script=${brcutil_exports}" "LINKER:--no-undefined")
set_property(TARGET BRCUtil APPEND PROPERTY LINK_DEPENDS ${brcutil_exports})

# The wizard adds its pages and the two interactive entry points to libBRCUtil.so.
include(${CMAKE_CURRENT_LIST_DIR}/wizard/wizard.cmake)
