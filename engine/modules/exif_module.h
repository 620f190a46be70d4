// The EXIF module (key "EXIF"): the name part from a JPEG file's EXIF data (metadata/exif_info.h) by a pattern
// such as "Camera Model"_"Date,yyyy-MM-dd"; a date or time field takes a picture after a ','. A file whose
// EXIF data cannot be read keeps its name, whatever the fail flag says.
#pragma once
#include "engine/modules/pattern_modules.h"

extern const ModuleDescriptor kExifModule;
