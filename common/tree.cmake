# brtree: the attribute tree, its visitors and the tokenizer.
add_library(brtree STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Tokenizer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AttributeTreeException.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AttributeNode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AttributeChildren.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextAttribute.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IntegerAttribute.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PlainIntegerAttribute.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BinaryAttribute.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AttributeTree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AttributeTreeVisitor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AttributeTreeMerger.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AttributeTreeFiller.cpp
)
