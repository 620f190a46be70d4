// JPEG images compressed by libjpeg in memory, with an APP1 segment written among their header segments as a
// camera writes its EXIF data when one is given. The EXIF and image-header tests and benchmarks read files made
// this way.
#pragma once
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

// An image of `width` x `height` with a soft gradient, of 1 (grey) or 3 (RGB) components; `app1` is the
// segment's data after its length, none when empty.
inline std::string CompressJpeg(int width, int height, int components = 3, const std::string& app1 = "") {
  jpeg_compress_struct compress;
  jpeg_error_mgr errors;
  compress.err = jpeg_std_error(&errors);
  jpeg_create_compress(&compress);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&compress, &buffer, &size);
  compress.image_width = static_cast<JDIMENSION>(width);
  compress.image_height = static_cast<JDIMENSION>(height);
  compress.input_components = components;
  compress.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&compress);
  jpeg_start_compress(&compress, TRUE);
  if (!app1.empty()) {
    jpeg_write_marker(&compress, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(app1.data()),
                      static_cast<unsigned>(app1.size()));
  }
  std::vector<JSAMPLE> row(static_cast<size_t>(width) * components);
  JSAMPROW rows[1] = {row.data()};
  while (compress.next_scanline < compress.image_height) {
    for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<JSAMPLE>(i * 7 + compress.next_scanline * 3);
    jpeg_write_scanlines(&compress, rows, 1);
  }
  jpeg_finish_compress(&compress);
  jpeg_destroy_compress(&compress);
  std::string bytes(reinterpret_cast<const char*>(buffer), size);
  free(buffer);
  return bytes;
}

// An RGB image with the APP1 segment.
inline std::string CompressJpegWithApp1(int width, int height, const std::string& app1) {
  return CompressJpeg(width, height, 3, app1);
}
