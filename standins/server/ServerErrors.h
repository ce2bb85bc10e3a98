#pragma once
// The ErrorCode values brindle-server answers in a reply header. They are far from the codes
// the client library makes itself (0, 1, 3, 4, 1102) and from the transport's (1020-1074).
// Every error reply also carries a text "ErrorText" in its data saying what went wrong.
#include <cstdint>

enum ServerError : std::int32_t {
    ErrorNone = 0,
    ErrorObjectNotFound = 9001,   // no object at the path (or the parent of a new one is missing)
    ErrorAlreadyExists = 9002,    // create, copy or move onto a path that is taken
    ErrorStaleRevision = 9003,    // setObject or commandObject with a revision that is not current
    ErrorBadRequest = 9004,       // a field missing or malformed, an unknown operation or command
    ErrorFileUnreadable = 9005,   // publish: the file at "brx" is missing, unreadable or too large
    ErrorNotLoggedIn = 9006,      // a secured server and no login (or another SecurityDescriptor)
    ErrorLoginRefused = 9007,     // unknown user, wrong password, forged or expired ticket
    ErrorFolderNotEmpty = 9008,   // removeObject without recurse on a folder with objects in it
    ErrorNotPermitted = 9009,     // the root cannot be removed or moved; no move into itself
    ErrorBufferTooSmall = 9010,   // publish: the answer does not fit "urlsize" (or gateway/content)
    ErrorStorageFailed = 9011,    // the data folder could not be written
    ErrorOutsidePublishRoots = 9012,  // publish: "brx" resolves to a place outside the publish roots
    ErrorServerBusy = 9013,       // the memory for requests in flight is used up; try again later
};
