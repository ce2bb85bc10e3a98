#pragma once
// libbradm.so: the client library of the Brindle report server.
//
// A flat interface with C linkage for C++ hosts. The interface serves one call at a time from
// the host's thread. Calls made from several threads at once are queued on one lock, so they
// cannot corrupt the one current session, but they still share it.
//
// Waits on the network are unbounded unless the host sets bounds with besSetTimeouts; the reason
// for the last failure of a call in this thread is one line of text from besGetLastErrorText.
//
// Return codes (32-bit signed):
//   0     success (the server's ErrorCode 0)
//   1     no current session; or a publish reply lacks a field; or an answer does not fit the
//         caller's buffer (the buffer is then left as it was); or besPublishReportEx connected
//   3     a required argument is missing or empty (nothing is sent)
//   4     the server is not reachable, the login dialogue failed in transport, or the server
//         granted no permission
//   1102  the object has no "Revision", so it cannot be updated
//   other the ErrorCode of the server's reply, passed through unchanged
//
// Sessions. A login function makes a new session current and keeps it only on 0. A per-call
// function (the publish functions and besGetLumoraServerInfo) makes its own session current for
// the call and drops it at the end, so it also ends a session opened by an earlier login. Every
// other function works on the current session and returns 1 when there is none.
//
// Exceptions that may leave the functions (hosts are C++ and catch them by reference):
//   CBRWebIOStreamException (common/CBRWebIOStreamException.h; its subclass
//     CEndofStreamException when the server closed the connection): a transport failure during
//     an exchange of a per-call function or of a function on the current session. The connection
//     step and the login dialogue turn transport failures into 4 instead.
//   NodeNotFoundException (common/AttributeTreeException.h): a reply lacks a field that must be
//     there (the login's "Mode", "Secured", "ServerNamespace", "ACL"; besList's "Content"), or
//     a reply header lacks one of its five values.
// A per-call session is dropped whether its function returns or throws; the current session of
// the object functions stays current after an exception.
//
// Texts are NUL-terminated byte strings owned by the caller. Output buffers are written within
// their capacity, the NUL included; a null buffer or a capacity below 1 is a missing argument.
// Server address: "host" or "host:port"; the port defaults to 8010 (also for ":", ":0" or a
// port without digits); a port outside 1..65535 cannot be reached (4).
#include <cstdint>

#include "brindle/export.h"
#include "common/AttributeTree.h"
#include "common/AttributeTreeVisitor.h"  // walking a tree with AttributeTree::accept

struct CatalogueEntry;

extern "C" {

// --- Session and login -------------------------------------------------------------------------

// Loads the message library "bradmtoolMsg" (libbradmtoolMsg.so) once and returns its entry
// (common/CatalogueEntry.h), owned
// by the library until it is unloaded; null when the library or its "brwebGetMessage" is missing.
BRINDLE_EXPORT CatalogueEntry* besMsgInitialize(void);

// Logs in with an old-style password (null counts as ""). 0, 3 (null server), 4, or the server's
// code. Throws NodeNotFoundException when the pre-login reply lacks a field.
BRINDLE_EXPORT std::int32_t besLogin(const char* server, const char* password);
// Logs in with a ticket. 0, 3 (null server or ticket), 4, or the server's code; as besLogin.
BRINDLE_EXPORT std::int32_t besLoginTicket(const char* server, const char* ticket);
// Logs in with a user id and a password (an empty password counts). 0, 3 (null server, user id
// or password), 4, or the server's code; throws as besLogin.
BRINDLE_EXPORT std::int32_t besLoginUserPassword(const char* server, const char* userId,
                                                 const char* password);
// Closes and drops the current session, if any. Sends nothing.
BRINDLE_EXPORT void besLogout(void);

// --- Deadlines and failure reasons -------------------------------------------------------------

// Bounds, for every connection made after this call in the process, the wait for the connection
// (connectMs) and for each exchange once connected (ioMs: writing the request and reading its
// whole reply, however slowly its bytes arrive), in milliseconds. 0 (the default) waits for
// ever; negative values count as 0. A connect that runs out of time fails as any connection
// does (4). An exchange that runs out of time raises CBRWebIOStreamException with the system
// error ETIMEDOUT (code 1071 at common\CSocket:234 while receiving, 1072 at :252 while
// sending), and its connection is closed, so a late reply is never taken for the next one.
BRINDLE_EXPORT void besSetTimeouts(std::int32_t connectMs, std::int32_t ioMs);
// The reason for the last failure of a bes* call in this thread, one line for people: for
// example "connection refused by 127.0.0.1:8010", "no such host 'reports.example'",
// "port 70000 is outside 1..65535", "no reply from 127.0.0.1:8010 within 30 s", "the server
// closed the connection in the middle of its reply", or the message library's text for a
// server's ErrorCode. Empty after a call that succeeded (this function and besSetTimeouts leave
// it as it is). Written with its NUL within capacity: 0; 1 when it does not fit (text
// unchanged); 3 for a null text or a capacity below 1.
BRINDLE_EXPORT std::int32_t besGetLastErrorText(char* text, std::int32_t capacity);

// --- Publishing (per call, except besBulkPublish) ----------------------------------------------

// Publishes the report file at reportFile (the server reads it) under name; description may be
// null. Sends url's current text and urlCapacity; on 0 url holds the server's "URL". 3 (empty
// server, name or report file; null url; urlCapacity < 1), 4, 1 (no "URL" or it does not fit;
// url unchanged), or the server's code. Throws CBRWebIOStreamException.
BRINDLE_EXPORT std::int32_t besPublishReport(const char* server, const char* name,
                                             const char* description, const char* reportFile,
                                             char* url, std::int32_t urlCapacity);
// The same function under its older name.
BRINDLE_EXPORT std::int32_t brwebPublishReport(const char* server, const char* name,
                                               const char* description, const char* reportFile,
                                               char* url, std::int32_t urlCapacity);
// Publishes for the web portal; on 0 gateway and content hold the server's "gateway" and
// "content". 1 when "gateway" is missing or too long (both buffers unchanged) or when "content"
// is (gateway already written). Other codes and exceptions as besPublishReport.
BRINDLE_EXPORT std::int32_t besPublishReportLumora(const char* server, const char* name,
                                                   const char* description, const char* reportFile,
                                                   char* gateway, std::int32_t gatewayCapacity,
                                                   char* content, std::int32_t contentCapacity);
// Connects and sends nothing but the connection preamble: 1 when connected, 4 when not, 3 when
// server (1st), the 3rd or the 6th argument is null or empty. The other ten are not read.
BRINDLE_EXPORT std::int32_t besPublishReportEx(const char* server, const void* arg2,
                                               const char* arg3, const void* arg4,
                                               const void* arg5, const char* arg6,
                                               const void* arg7, const void* arg8,
                                               const void* arg9, const void* arg10,
                                               const void* arg11, const void* arg12,
                                               const void* arg13);
// Reads the portal's address from the server's root properties: url gets "FLD.Publish.Lumora_url"
// ("" when absent), port the decimal "FLD.Publish.Lumora_port" ("0" when absent; 12 bytes always
// suffice). 3 (empty server, null buffer, capacity < 1), 4, 1 (a text does not fit; both buffers
// unchanged), or the server's code. Throws CBRWebIOStreamException.
BRINDLE_EXPORT std::int32_t besGetLumoraServerInfo(const char* server, char* url,
                                                   std::int32_t urlCapacity, char* port,
                                                   std::int32_t portCapacity);
// Bulk-publishes an object on the current session: 1 (no session) or the server's code.
// Throws CBRWebIOStreamException.
BRINDLE_EXPORT std::int32_t besBulkPublish(const char* objectPath);

// --- Object administration (on the current session) --------------------------------------------
// All return 1 without a current session and otherwise the server's code unless stated; null
// texts go out as "". Trees are the caller's; a null tree gives 3. Each may throw
// CBRWebIOStreamException. The "update" functions read the object, change a copy and write it
// back under the object's "Revision": 1102 when it has none (nothing written).

// Creates the object name of class cls with the given properties ("Mirrors" stored as given).
BRINDLE_EXPORT std::int32_t besCreateObject(const char* cls, const char* name,
                                            const char* description, const char* localSource,
                                            const char* mirrors);
// Reads an object's properties. An empty tree receives the whole description; otherwise the tree
// is a query whose text and integer leaves are filled where the object has a value (isSet 1).
BRINDLE_EXPORT std::int32_t besGetProperties(const char* objectPath, std::int32_t depth,
                                             std::int32_t thumbnail, AttributeTree* tree);
// Replaces the tree's children by the folder's "Content". Throws NodeNotFoundException when the
// reply has no "Content" branch (the tree is then unchanged).
BRINDLE_EXPORT std::int32_t besList(const char* objectPath, AttributeTree* tree);
// Update: merges properties into the object's value and writes the set leaves back. A binary
// leaf of properties under the empty name cannot be merged: CantAlterShapeException, nothing
// written.
BRINDLE_EXPORT std::int32_t besSetProperties(const char* objectPath,
                                             const AttributeTree* properties);
// Update: writes the leaves of value whose isSet is not 0 (and all its branches) as the value.
BRINDLE_EXPORT std::int32_t besResetProperties(const char* objectPath, const AttributeTree* value);
// The same function as besResetProperties.
BRINDLE_EXPORT std::int32_t besResetBelow(const char* objectPath, const AttributeTree* value);
// Update: empties the object's "Path". The integer is not used.
BRINDLE_EXPORT std::int32_t besRemovePath(const char* objectPath, std::int32_t unused);
// Update: adds ";"-separated mirror references (pieces of 5 bytes or more) to "Mirrors" as
// "lpwq://..."; the list is kept ordered and without duplicates, ignoring ASCII case.
BRINDLE_EXPORT std::int32_t besAppendMR(const char* objectPath, const char* references);
// Update: removes mirror references (pieces of 7 bytes or more) from "Mirrors".
BRINDLE_EXPORT std::int32_t besRemoveMR(const char* objectPath, const char* references);
// Sends the command "ENABLE", "DISABLE" or "KILL" (any letter case) under the object's revision.
// 3 for any other word (nothing sent), 1102 without a revision.
BRINDLE_EXPORT std::int32_t besEnableObject(const char* objectPath, const char* word);
// Copies or moves an object to newName.
BRINDLE_EXPORT std::int32_t besCopyObject(const char* objectPath, const char* newName);
BRINDLE_EXPORT std::int32_t besMoveObject(const char* objectPath, const char* newName);
// Removes one object, or a folder with everything below it.
BRINDLE_EXPORT std::int32_t besRemoveObject(const char* objectPath);
BRINDLE_EXPORT std::int32_t besRemoveFolder(const char* objectPath);

}  // extern "C"
