#pragma once
// Names of the editor host's view classes. A host process has one flat namespace of view classes,
// shared by every plug-in it loads, so each plug-in's copies carry a suffix of their own
// (BRINDLE_COCOA_SUFFIX, set by the plug-in's build from its identity; "_vBrindle_au" for Brindle).
// Code names the classes through the macros below and never spells a suffix itself.

#ifndef BRINDLE_COCOA_SUFFIX
#error "BRINDLE_COCOA_SUFFIX is set by the plug-in's build (brindle_graphics_mac_library)"
#endif

#define BRINDLE_COCOA_PASTE2(base, suffix) base##suffix
#define BRINDLE_COCOA_PASTE(base, suffix) BRINDLE_COCOA_PASTE2(base, suffix)
#define BRINDLE_COCOA_STR2(x) #x
#define BRINDLE_COCOA_STR(x) BRINDLE_COCOA_STR2(x)

#define IGRAPHICS_COCOA BRINDLE_COCOA_PASTE(IGraphicsCocoa, BRINDLE_COCOA_SUFFIX)
#define COCOA_FORMATTER BRINDLE_COCOA_PASTE(CocoaFormatter, BRINDLE_COCOA_SUFFIX)
#define IGRAPHICS_NSMENU BRINDLE_COCOA_PASTE(IGraphicsNSMenu, BRINDLE_COCOA_SUFFIX)
#define IGRAPHICS_MENU_RCVR BRINDLE_COCOA_PASTE(IGraphicsMenuRcvr, BRINDLE_COCOA_SUFFIX)
#define CUSTOM_COCOA_WINDOW BRINDLE_COCOA_PASTE(CustomCocoaWindow, BRINDLE_COCOA_SUFFIX)

// The runtime name of a suffixed class, e.g. "IGraphicsCocoa_vBrindle_au".
#define COCOA_CLASS_NAME(base) BRINDLE_COCOA_STR(BRINDLE_COCOA_PASTE(base, BRINDLE_COCOA_SUFFIX))
