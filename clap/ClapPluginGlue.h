#pragma once
// ClapPluginGlue: the clap_plugin record a host holds for one IEffectCLAP, with the extension tables
// it offers: "clap.audio-ports", "clap.params", "clap.state", "clap.latency", "clap.tail",
// "clap.render", "clap.gui" and "clap.timer-support". Every C entry catches what the C++ inside
// throws; the host sees a refusal instead.
#include <memory>

#include "clap/IEffectCLAP.h"
#include "clap/abi/ClapPlugin.h"

// Wraps plug (its InstanceInfo names the host) under desc, which must outlive the record. The record
// owns the plug-in object and frees both in its destroy call.
const clap_plugin_t* ClapWrapPlugin(const clap_plugin_descriptor_t* desc, std::unique_ptr<IEffectCLAP> plug);

// The object behind a record made by ClapWrapPlugin (tests and tools), or null.
IEffectCLAP* ClapPluginObject(const clap_plugin_t* plugin);
