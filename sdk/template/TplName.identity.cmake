# TplName's identity, written once; the build generates TplNameIdentity.h, the bundles' descriptions and
# entry points from it. The codes, bundle identifier, view class and class-name suffix must differ
# from every other plug-in's, so that a host can load them side by side.
set(PLUG_NAME "TplName")
set(PLUG_MAKER "@MAKER@")
set(PLUG_VERSION "1.0.0")
set(PLUG_UNIQUE_ID "@UNIQUE_ID@")
set(PLUG_MFR_ID "@MFR_ID@")
set(PLUG_BUNDLE_ID "com.@MAKER_ID@.audiounit.TplName")
set(PLUG_VIEW_CLASS "TplName_@MAKER_ID@_View")
set(PLUG_COCOA_SUFFIX "_vTplName_@MAKER_ID@")
set(PLUG_LV2_URI "urn:@MAKER_ID@:tplname")
set(PLUG_CHANNEL_IO "1-1 2-2")
