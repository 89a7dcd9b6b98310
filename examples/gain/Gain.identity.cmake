# Gain's identity, written once. The build generates from it GainIdentity.h, the component's
# Info.plist, its entry points and view factory. Codes, bundle identifier, view class and class-name
# suffix differ from every other plug-in of ours, so that a host can load them side by side.
set(PLUG_NAME "Gain")
set(PLUG_MAKER "tallowby")
set(PLUG_VERSION "1.0.0")
set(PLUG_UNIQUE_ID "gnp1")
set(PLUG_MFR_ID "Qxlo")
set(PLUG_BUNDLE_ID "com.tallowby.audiounit.Gain")
set(PLUG_VIEW_CLASS "Gain_View")
set(PLUG_COCOA_SUFFIX "_vGain_au")
set(PLUG_LV2_URI "urn:tallowby:gain")
# Mono passes through the gain alone; a pan needs two outputs, so it acts on stereo only.
set(PLUG_CHANNEL_IO "1-1 2-2")
