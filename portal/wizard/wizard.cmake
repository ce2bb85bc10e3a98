# The publishing wizard: its pages, resources and the two entry points that run it.
# Included by portal/publisher.cmake once libBRCUtil.so (BRCUtil) and the publishing flow
# (brportal) are defined. brwizard holds everything but the exported entry points, so the
# tests can link the pages with scripted outside systems.
include_guard(GLOBAL)

add_library(brwizard OBJECT
  ${CMAKE_CURRENT_LIST_DIR}/CWizardPage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CWizardPane1.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CWizardPaneNewsBoxes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CWizardPanePDFReportStyle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CWizardPanePromptProperties.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CWizardSheet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NewsBoxTree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PdfOptionFlags.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WizardHelpFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WizardModuleResources.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WizardPublishing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WizardResources.cpp)
target_link_libraries(brwizard PUBLIC brportal brui)

target_sources(BRCUtil PRIVATE ${CMAKE_CURRENT_LIST_DIR}/WizardEntryPoints.cpp)
target_link_libraries(BRCUtil PRIVATE brwizard)
