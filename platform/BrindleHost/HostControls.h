/*
 * HostControls.h — the few things a host or a test decides about the simulated system: how the
 * headless alert is answered and which system version Gestalt reports.
 */
#ifndef BRINDLE_PLATFORM_HOSTCONTROLS_H
#define BRINDLE_PLATFORM_HOSTCONTROLS_H

#include <CoreFoundation/CoreFoundation.h>

#ifdef __cplusplus
extern "C" {
#endif

/* What CFUserNotificationDisplayAlert showed, as UTF-8 (NULL for an absent button; the default button
 * reads "OK" when the caller passed none). */
typedef struct BrindleHost_Alert
{
  CFOptionFlags flags;
  const char* header;
  const char* message;
  const char* defaultButton;
  const char* alternateButton;
  const char* otherButton;
} BrindleHost_Alert;

/* Returns the response: kCFUserNotificationDefaultResponse, ...AlternateResponse, ...OtherResponse
 * or ...CancelResponse. */
typedef CFOptionFlags (*BrindleHost_AlertResponder)(const BrindleHost_Alert* alert, void* refCon);

/* Installs the responder for every later alert; NULL restores the default, which presses the
 * default button. */
void BrindleHost_SetAlertResponder(BrindleHost_AlertResponder responder, void* refCon);

/* The value Gestalt(gestaltSystemVersion) reports (BCD digits, 0x1068 = 10.6.8, the default). */
void BrindleHost_SetSystemVersion(SInt32 version);

#ifdef __cplusplus
}
#endif

#endif
