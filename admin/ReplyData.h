#pragma once
// The data of a reply as the operations read it. A reply whose data document is a single leaf is
// read like a reply without any of the fields looked for: as an empty tree.
#include "common/AttributeTree.h"
#include "common/BRMessage.h"

inline const AttributeTree& replyData(BRMessage& reply) {
    static const AttributeTree empty;
    const AttributeTree* data = reply.dataBranch();
    return data ? *data : empty;
}
