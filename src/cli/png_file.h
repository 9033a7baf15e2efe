#pragma once

#include "map/map_render.h"
#include "map/png_encoder.h"

#include <string>

namespace vantor::cli {

// Writes the image as an 8-bit RGBA PNG, aside and renamed over the target once complete.
// False with the reason in `error`.
bool writePng(const MapImage& image, const std::string& path, std::string& error);

// A PNG file made by the encoder, aside and renamed over the target once complete.
bool writePngFile(const PngBytes& file, const std::string& path, std::string& error);

// The same PNG file's bytes in memory, for embedding (the core's encoder, as every front end's).
bool encodePng(const MapImage& image, std::string& bytes, std::string& error);

// Reads an RGBA PNG back (for checks); false when it is not one.
bool readPng(const std::string& path, MapImage& image);

} // namespace vantor::cli
