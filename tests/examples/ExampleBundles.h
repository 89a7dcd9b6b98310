// The two component bundles the example tests load into this one process, Brindle's and Gain's,
// each loaded once through the host's bundle loader and kept for the life of the process.
#pragma once

#include <BrindleHost/ComponentBundle.h>

#include <string>

struct LoadedBundle
{
  BrindleHost_ComponentBundle bundle{};
  Component effect = nullptr; // the bundle's 'aufx' component
  ComponentDescription description{};
  OSStatus status = -1;   // what loading answered
  std::string loadErrors; // what loading wrote to standard error
};

const LoadedBundle& BrindleBundle();
const LoadedBundle& GainBundle();
