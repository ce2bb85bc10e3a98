#pragma once
/*
 * SentrelAPI: the security library that signs a user on and hands out a ticket.
 * It is loaded at run time ("SentrelAPI.dll" -> libSentrelAPI.so) and its calls are
 * looked up by name; these are the types our code binds them to.
 *
 * Results: 0 success, SN_CANCELLED (-2) when the user cancelled, any other value a
 * failure whose text SN_GetLastErrorMsg / SN_GetSessionLastErrorMsg give.
 * Every text buffer is written within its capacity, NUL included.
 */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A session of the security library; 0 is never a valid handle. */
typedef uint32_t SN_HANDLE;

/* Arguments our caller passes to SN_Init (and to SN_CommonLogonEx). */
#define SN_API_VERSION      0x00010000u /* high half 1, low half 0 */
#define SN_CLIENT_FLAGS     0x10000100u /* high half 0x1000, low half 0x0100 */
#define SN_INIT_OPTIONS     0x20000001u

#define SN_OK               0
#define SN_CANCELLED        (-2)
#define SN_FAILED           (-1)
#define SN_BAD_ARGUMENT     (-3)
#define SN_BAD_HANDLE       (-4)
#define SN_UNKNOWN_NAMESPACE (-5)
#define SN_LOGON_REFUSED    (-6)  /* unknown user or wrong password */

/* Sizes the caller's buffers have. */
#define SN_NAMESPACE_BUFFER_SIZE 1024 /* SN_GetDefaultNamespace's buffer */
#define SN_TICKET_BUFFER_SIZE    255  /* a ticket is at most 254 bytes plus its NUL */
#define SN_MESSAGE_BUFFER_SIZE   1000

/* The three-word output record of a logon: what the library tells about the session. */
typedef struct SN_LogonInfo {
    uint32_t sessionId;   /* word 0: a number for this logon, never 0 on success */
    uint32_t expiresAt;   /* word 1: expiry of the ticket, seconds since 1970 (low 32 bits) */
    uint32_t flags;       /* word 2: 0 */
} SN_LogonInfo;

typedef int32_t (*SN_Init_fn)(uint32_t apiVersion, uint32_t clientFlags, SN_HANDLE* handle,
                              uint32_t options);
typedef int32_t (*SN_GetLastErrorMsg_fn)(char* buffer, int32_t capacity);
/* buffer holds SN_NAMESPACE_BUFFER_SIZE bytes. */
typedef int32_t (*SN_GetDefaultNamespace_fn)(SN_HANDLE handle, char* buffer);
typedef int32_t (*SN_GetSessionLastErrorMsg_fn)(SN_HANDLE handle, char* buffer, int32_t capacity);
/* reserved is 0; ticket holds SN_TICKET_BUFFER_SIZE bytes. */
typedef int32_t (*SN_AuthenticateUser_fn)(SN_HANDLE handle, const char* nameSpace,
                                          const char* userName, const char* password,
                                          int32_t reserved, SN_LogonInfo* info, char* ticket);

#define SN_INIT_NAME                   "SN_Init"
#define SN_GET_LAST_ERROR_MSG_NAME     "SN_GetLastErrorMsg"
#define SN_GET_DEFAULT_NAMESPACE_NAME  "SN_GetDefaultNamespace"
#define SN_GET_SESSION_LAST_ERROR_NAME "SN_GetSessionLastErrorMsg"
#define SN_AUTHENTICATE_USER_NAME      "SN_AuthenticateUser"

#ifdef __cplusplus
}
#endif
