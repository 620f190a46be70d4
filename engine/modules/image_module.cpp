#include "engine/modules/image_module.h"

#include "engine/module_formatting.h"
#include "foundation/text/numbers.h"
#include "foundation/ui/ui_text_ids.h"
#include "metadata/field_types.h"
#include "metadata/image_header.h"
#include "metadata/name_patterns.h"

const ModuleFieldRow ImageFieldTable[] = {
    {kImageWidth, kTextFieldWidth, L"Width", kFieldTypeInteger},
    {kImageHeight, kTextFieldHeight, L"Height", kFieldTypeInteger},
    {kImageBitsPerPixel, kTextFieldBitsPerPixel, L"BPP", kFieldTypeInteger},
    {kImageOriginalName, 0, L"OFN", kFieldTypeNone},
    {},
};

namespace {

constexpr PatternModuleForm kImageForm = {L"Image", kTextModuleImage};

int32_t ImageValue(const ImageHeaderInfo& image, uint8_t kind) {
  if (kind == kImageWidth) return image.width;
  if (kind == kImageHeight) return image.height;
  return kind == kImageBitsPerPixel ? image.bitsPerPixel : 0;
}

struct ImageReference {
  const wchar_t* path;
  const ImageHeaderInfo* image;
};

// A size or depth is written in decimal when it is above 0.
bool ReadImageReference(const wchar_t* reference, wchar_t* value, void* context) {
  const ModuleFieldRow* row = FindFieldRow(ImageFieldTable, reference);
  if (row == nullptr) return false;
  const ImageReference* file = static_cast<const ImageReference*>(context);
  value[0] = 0;
  const int32_t number = ImageValue(*file->image, row->kind);
  if (row->kind == kImageOriginalName) {
    FileTitleOfPath(file->path, value, kPatternCapacity);
  } else if (number > 0 && row->type == kFieldTypeInteger) {
    IntToWideDecimal(number, value, kPatternCapacity);
  }
  return true;
}

int ExpandImagePattern(const wchar_t* path, const PatternSettings* settings, wchar_t* name) {
  ImageHeaderInfo image{};
  const int read = SniffImageHeader(path, &image);
  if (read != 0) return ReaderFailure(read);
  ImageReference file{path, &image};
  return ExpandPatternSettings(settings, ReadImageReference, &file, name);
}

int GetImageFieldValue(const void* context, int fieldNumber, void* out, int outSize) {
  const ModuleFieldRow* row = FieldRowAt(ImageFieldTable, fieldNumber);
  const wchar_t* path = static_cast<const wchar_t*>(context);
  if (row == nullptr || row->type == kFieldTypeNone || path == nullptr) return 0;
  ImageHeaderInfo image{};
  SniffImageHeader(path, &image);
  return PutFieldInteger(ImageValue(image, row->kind), kFieldTypeInteger, out, outSize);
}

}  // namespace

const ModuleDescriptor kImageModule = PatternModuleDescriptor<kImageForm, ExpandImagePattern, ModuleFieldRow,
                                                              ImageFieldTable, GetImageFieldValue, kImageDialog>();
