# Brindle's identity, written once. The build generates from it the identity header the code reads
# (BrindleIdentity.h), the component's Info.plist, its entry points and view factory, and the LV2
# bundle's description.
set(PLUG_NAME "Brindle")
set(PLUG_MAKER "tallowby")
set(PLUG_VERSION "2.3.0")
set(PLUG_UNIQUE_ID "bdl3")
set(PLUG_MFR_ID "Qxlo")
set(PLUG_BUNDLE_ID "com.tallowby.audiounit.Brindle")
set(PLUG_VIEW_CLASS "Brindle_View")
set(PLUG_COCOA_SUFFIX "_vBrindle_au")
set(PLUG_LV2_URI "urn:tallowby:brindle")
set(PLUG_CHANNEL_IO "1-1 2-2")
