/*
 * AppKit.h — umbrella for the AppKit stand-ins (and Foundation and CoreGraphics under them).
 */
#ifndef BRINDLE_PLATFORM_APPKIT_H
#define BRINDLE_PLATFORM_APPKIT_H

#include <AppKit/NSApplication.h>
#include <AppKit/NSColor.h>
#include <AppKit/NSEvent.h>
#include <AppKit/NSFont.h>
#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSMenu.h>
#include <AppKit/NSResponder.h>
#include <AppKit/NSSavePanel.h>
#include <AppKit/NSTextField.h>
#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>
#include <AppKit/NSWorkspace.h>
#include <CoreGraphics/CoreGraphics.h>
#include <Foundation/Foundation.h>

#endif
