/*
 * CFUserNotification.h — simple alerts. This system has no display of its own: the alert is written
 * to standard error and answered by the headless responder (BrindleHost/HostControls.h), which
 * chooses the default button unless a host or test installs another answer.
 */
#ifndef BRINDLE_PLATFORM_CFUSERNOTIFICATION_H
#define BRINDLE_PLATFORM_CFUSERNOTIFICATION_H

#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFURL.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
  kCFUserNotificationStopAlertLevel = 0,
  kCFUserNotificationNoteAlertLevel = 1,
  kCFUserNotificationCautionAlertLevel = 2,
  kCFUserNotificationPlainAlertLevel = 3
};

enum {
  kCFUserNotificationDefaultResponse = 0,
  kCFUserNotificationAlternateResponse = 1,
  kCFUserNotificationOtherResponse = 2,
  kCFUserNotificationCancelResponse = 3
};

/* Returns 0 and the chosen button in *responseFlags (when non-NULL). A NULL default button title
 * stands for the system's "OK"; NULL alternate and other titles mean those buttons are absent. */
SInt32 CFUserNotificationDisplayAlert(CFTimeInterval timeout, CFOptionFlags flags, CFURLRef iconURL, CFURLRef soundURL,
                                      CFURLRef localizationURL, CFStringRef alertHeader, CFStringRef alertMessage,
                                      CFStringRef defaultButtonTitle, CFStringRef alternateButtonTitle,
                                      CFStringRef otherButtonTitle, CFOptionFlags* responseFlags);

#ifdef __cplusplus
}
#endif

#endif
