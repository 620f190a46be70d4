// The Image module (key "Image"): the name part from the image's size and depth (metadata/image_header.h) by
// a pattern such as "Width"x"Height". A size or depth that the header does not tell has no value.
#pragma once
#include "engine/modules/pattern_modules.h"

enum ImageFieldKind : uint8_t {
  kImageWidth = 1,
  kImageHeight = 2,
  kImageBitsPerPixel = 3,
  kImageOriginalName = 4,  // "OFN": the file name without its extension
};

// The 4 fields, "OFN" last, ended by an all-zero row.
extern const ModuleFieldRow ImageFieldTable[];

extern const ModuleDescriptor kImageModule;
