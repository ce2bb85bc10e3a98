#pragma once
// The message library bradmtoolMsg (libbradmtoolMsg.so): one-line English
// texts for the return codes of the server client interface and for the codes
// of the transport's exceptions.
//
//   0     success
//   1     no current session, or a reply lacks a field
//   3     a missing or empty argument
//   4     the connection or the login failed
//   1102  the object has no revision
//   1020, 1055, 1070, 1071, 1072, 1074  transport failures
//
// brwebGetMessage returns a static NUL-terminated text for these codes and
// null for any other. The library is loaded at run time by name; the entry
// point is looked up as "brwebGetMessage".

#ifdef __cplusplus
extern "C" {
#endif

const char* brwebGetMessage(int code);

typedef const char* (*BrwebGetMessageFn)(int code);

#ifdef __cplusplus
}
#endif
