#pragma once
// The short form of a folder's listing, one line per object as `ls -l` shows files:
//
//   CLASS  REVISION  STATUS  NAME
//
// in columns as wide as their widest entry, objects in name order. STATUS is the object's
// "Status" (Enabled, Disabled, Killed) or "-" when it has none; a missing class or revision
// shows as "-" as well. A name with control bytes or spaces at its ends is quoted with C
// escapes, so every object stays one line.
#include <iosfwd>
#include <string>
#include <vector>

#include "common/AttributeTree.h"

class ObjectListing {
 public:
  // The listing's lines from the folder's "Content" as besList returns it.
  explicit ObjectListing(const AttributeTree& content);

  void print(std::ostream& out) const;

 private:
  struct Row {
    std::string objectClass;
    std::string revision;
    std::string status;
    std::string name;
  };
  static std::string shownName(const std::string& name);

  std::vector<Row> rows_;
};
