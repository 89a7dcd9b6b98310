// Writes a raster bitmap as an 8-bit RGBA PNG file, the counterpart of Raster_LoadPNG: what it
// writes reads back pixel for pixel, alpha included (straight, not premultiplied).
//
// The file is written under a temporary name in the destination's folder and renamed over the
// destination only once complete, so a failure never leaves a partial or clobbered file; standard
// output ("-"), devices and FIFOs are written straight into (see OutputTarget.h).
#pragma once

#include <string>

class Raster_IBitmap;

// False with a message in error on any failure (empty bitmap, unwritable folder, encoder error).
bool WritePngFile(Raster_IBitmap* bitmap, const std::string& path, std::string& error);
