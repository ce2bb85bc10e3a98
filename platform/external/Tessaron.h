#pragma once
/*
 * Tessaron: the logon dialog of the security library. SN_CommonLogonEx asks for the user
 * name and the password (on this platform on the controlling terminal) and signs the user
 * on. It is loaded at run time ("Tessaron.dll" -> libTessaron.so) and looked up by name.
 *
 * Results as SentrelAPI's: SN_OK with the ticket in the descriptor's buffer, SN_CANCELLED
 * (-2) when the user gives no name or there is no terminal, any other value a failure.
 */
#include <stdint.h>
#include "platform/external/SentrelAPI.h"

#ifdef __cplusplus
extern "C" {
#endif

#define SN_TICKET_DESCRIPTOR_KIND 8u

/* Where the dialog puts the ticket: kind 8, a word not used, the capacity (255) and the buffer. */
typedef struct SN_TicketDescriptor {
    uint32_t kind;
    uint32_t reserved;
    uint32_t capacity;
    char* buffer;
} SN_TicketDescriptor;

/*
 * handle: the handle of SN_Init (may point at 0: the dialog needs no session of its own).
 * showDialog is 1, the two reserved values 0. sessionId, flags and expiresAt are words 0, 2
 * and 1 of the caller's SN_LogonInfo. parentWindow is the host's main window or 0.
 */
typedef int32_t (*SN_CommonLogonEx_fn)(SN_HANDLE* handle, uint32_t apiVersion, uint32_t clientFlags,
                                       uint32_t options, const char* nameSpace, int32_t showDialog,
                                       int32_t reserved1, int32_t reserved2, uint32_t* sessionId,
                                       uint32_t* flags, uint32_t* expiresAt, void* parentWindow,
                                       SN_TicketDescriptor* ticket);

#define SN_COMMON_LOGON_EX_NAME "SN_CommonLogonEx"

#ifdef __cplusplus
}
#endif
