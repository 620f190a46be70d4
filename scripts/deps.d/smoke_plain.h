/* The C part of the dependency smoke test (see smoke_plain.c). */
#ifndef QVRX_DEPS_SMOKE_PLAIN_H
#define QVRX_DEPS_SMOKE_PLAIN_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

size_t plain_jpeg_decompress_struct_size(void);
int plain_jpeg_decode(const unsigned char *jpeg, unsigned long size, unsigned char *rgb,
                      int width, int height, char *message, size_t message_size);
const char *plain_mng_version(void);
int plain_mng_display_jng(const unsigned char *jpeg, unsigned long size, unsigned char *rgb,
                          int width, int height, char *message, size_t message_size);

#ifdef __cplusplus
}
#endif

#endif
