#pragma once
/*
 * LUMORACONNECT: the portal connection library. It is loaded at run time
 * ("LUMORACONNECT.dll" -> libLUMORACONNECT.so) and bound by ordinal: ordinal N is the
 * exported symbol "ordinal_N" (our dynamic-loading layer does the mapping).
 *
 * Call order of a client: set up (1) with the portal address, log on (2) with a ticket,
 * send requests (4) and fetch long replies (7), log off (5), shut down (6).
 * Every buffer is written within its capacity, NUL included.
 */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A portal connection; 0 is never a valid handle. */
typedef uint32_t LC_HANDLE;

/* Results. */
#define LC_OK             0
#define LC_MORE_DATA      1   /* send: the reply is longer than the buffer; *size holds its length */
#define LC_BAD_ARGUMENT   2
#define LC_CONNECT_FAILED 3   /* the portal could not be reached or broke the exchange */
#define LC_BAD_HANDLE     5   /* not a handle of a logged-on connection */
#define LC_NO_REPLY       6   /* fetch: no reply is waiting */
#define LC_BAD_REPLY      7   /* the portal answered something that is not a reply */
#define LC_TICKET_REFUSED 12  /* log on: the portal refused the ticket (unknown, forged, expired) */
#define LC_NOT_SET_UP     14  /* log on: set up (ordinal 1) has not been called */

#define LC_ORDINAL_SET_UP      1
#define LC_ORDINAL_LOG_ON      2
#define LC_ORDINAL_SEND        4
#define LC_ORDINAL_LOG_OFF     5
#define LC_ORDINAL_SHUT_DOWN   6
#define LC_ORDINAL_FETCH_REPLY 7

#define LC_REPLY_BUFFER_SIZE 10000 /* the buffer our caller gives to send */

/* 1: portalAddress is "host" or "host:port" (port 80 when none); mode is 1. */
typedef int32_t (*LC_SetUp_fn)(const char* portalAddress, int32_t mode);

/* 2: checks the ticket with the portal and fills *handle. */
typedef int32_t (*LC_LogOn_fn)(LC_HANDLE* handle, const char* ticket);

/*
 * 4: sends one XML request and receives its reply. *size is the capacity of reply in
 * bytes on entry. The reply text is stored NUL-terminated and *size set to its length
 * (LC_OK); when it needs more than *size bytes with its NUL, as much as fits is stored,
 * *size is set to its full length and the result is LC_MORE_DATA: the whole reply then
 * waits for ordinal 7. locale is "en-ca" (sent with the request, may be null).
 */
typedef int32_t (*LC_Send_fn)(LC_HANDLE handle, const char* request, char* reply, uint32_t* size,
                              const char* locale);

/*
 * 7: hands over the whole of the reply that ordinal 4 kept. buffer holds *size + 1 bytes;
 * on LC_OK it holds the reply and its NUL and *size its length. When the reply is longer
 * than *size, nothing is consumed, *size is set to its length and the result is
 * LC_MORE_DATA. LC_NO_REPLY when nothing waits.
 */
typedef int32_t (*LC_FetchReply_fn)(LC_HANDLE handle, char* buffer, uint32_t* size);

/* 5: ends the connection; the handle is invalid afterwards. */
typedef int32_t (*LC_LogOff_fn)(LC_HANDLE handle);

/* 6: forgets the set-up and ends every connection still open. */
typedef int32_t (*LC_ShutDown_fn)(void);

/*
 * Looked up by name, not by ordinal: extras of this library for hosts that want them.
 *
 * LC_SetTimeouts bounds, for every connection made afterwards, the connect (connectMs) and
 * each request's whole exchange with the portal (ioMs: the request written and its reply
 * read, however slowly the reply arrives), in milliseconds; 0 (the default) waits for ever,
 * negative values count as 0. A request that runs out of time fails with LC_CONNECT_FAILED
 * and is not sent again: the portal may have carried it out.
 *
 * LC_GetLastErrorText writes the reason for the last failure of a call in this thread, one
 * line ("no reply from the portal at HOST:PORT within 30 s"), empty when none failed; 0, 1
 * when it does not fit (text unchanged), 2 for a null text or a capacity below 1.
 */
#define LC_SET_TIMEOUTS_NAME "LC_SetTimeouts"
#define LC_GET_LAST_ERROR_TEXT_NAME "LC_GetLastErrorText"
typedef void (*LC_SetTimeouts_fn)(int32_t connectMs, int32_t ioMs);
typedef int32_t (*LC_GetLastErrorText_fn)(char* text, int32_t capacity);

#ifdef __cplusplus
}
#endif
