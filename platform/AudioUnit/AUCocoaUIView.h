/*
 * AUCocoaUIView.h — the protocol a plug-in's Cocoa view factory adopts. A host reads the unit's
 * kAudioUnitProperty_CocoaUI (bundle location and class name), looks the class up in that bundle
 * (NSBundle::classNamed), makes an instance and asks it for a view of the unit; the host owns
 * nothing it gets back but the view it then retains.
 */
#ifndef BRINDLE_PLATFORM_AUCOCOAUIVIEW_H
#define BRINDLE_PLATFORM_AUCOCOAUIVIEW_H

#include <AppKit/NSView.h>
#include <AudioUnit/AUComponent.h>

class AUCocoaUIBase
{
public:
  virtual unsigned interfaceVersion() = 0;
  /* An autoreleased view, or nil when the unit has no view to offer. */
  virtual NSView* uiViewForAudioUnit(AudioUnit unit, NSSize preferredSize) = 0;

protected:
  virtual ~AUCocoaUIBase() = default;
};

#endif
