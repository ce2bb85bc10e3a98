#pragma once
// The read-change-write of an object under its current revision: getObject (depth -1,
// thumbnail 0), a change to a deep copy of the reply's data (the working value), then setObject
// with the working value's "Revision". A server code on the read ends it; a missing, non-text or
// empty "Revision" gives 1102 and nothing is written.
#include <cstdint>
#include <functional>
#include <string>

#include "common/AttributeTree.h"

class ServerConnection;

class RevisionGuardedUpdate {
public:
    using Change = std::function<void(AttributeTree& working)>;

    RevisionGuardedUpdate(ServerConnection& connection, const char* object);

    // Reads the object into the working value; 0 or the server's code.
    std::int32_t read();
    // "Revision" of the working value; false when it is missing, not a text or empty.
    bool revision(std::string& revision) const;
    AttributeTree& working() { return working_; }

    // The whole update: read, change, write the working value (or written, when given). The
    // written tree goes out selectively: only its leaves whose isSet is not 0, every branch.
    std::int32_t run(const Change& change, const AttributeTree* written = nullptr);

private:
    ServerConnection& connection_;
    const char* object_;
    AttributeTree working_;
};
