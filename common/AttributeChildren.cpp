#include "common/AttributeChildren.h"

#include "common/AttributeChildrenEditor.h"

// Out of line, so that the merging stays with the library: a host's inline reading calls it
// when names wait in runs.
void AttributeChildren::mergeRuns() const {
    AttributeChildrenEditor::mergeAllRuns(*this);
}
