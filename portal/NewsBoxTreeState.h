#pragma once
// What the publishing wizard keeps about its NewsBox tree for a publishing run (the
// tree control, its image list and the maps from paths and NewsBox ids to items). The
// run owns it and empties the tree whenever its portal connection is closed.

class NewsBoxTreeState {
 public:
  virtual ~NewsBoxTreeState() = default;
  // Deletes every item of the tree and frees each item's data; nothing when the tree
  // is not there or holds no items.
  virtual void EmptyNewsBoxTree() = 0;
};
