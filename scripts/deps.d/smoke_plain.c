/* Smoke test, C part: uses libjpeg and libmng without <windows.h>, so the
 * headers take the path where rpcndr.h has not defined `boolean`. The C++ part
 * includes <windows.h> first; both must agree with the library on its structs. */
#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <jpeglib.h>
#include <libmng.h>
#include <zlib.h>

#include "smoke_plain.h"

size_t plain_jpeg_decompress_struct_size(void) { return sizeof(struct jpeg_decompress_struct); }

struct jpeg_failure {
  struct jpeg_error_mgr mgr;
  jmp_buf jump;
  char *message;
  size_t message_size;
};

static void jpeg_fail(j_common_ptr cinfo) {
  struct jpeg_failure *failure = (struct jpeg_failure *)cinfo->err;
  (*cinfo->err->format_message)(cinfo, failure->message);
  longjmp(failure->jump, 1);
}

int plain_jpeg_decode(const unsigned char *jpeg, unsigned long size, unsigned char *rgb,
                      int width, int height, char *message, size_t message_size) {
  struct jpeg_decompress_struct cinfo;
  struct jpeg_failure failure;
  char text[JMSG_LENGTH_MAX] = "";
  cinfo.err = jpeg_std_error(&failure.mgr);
  failure.mgr.error_exit = jpeg_fail;
  failure.message = text;
  failure.message_size = sizeof text;
  if (setjmp(failure.jump)) {
    jpeg_destroy_decompress(&cinfo);
    snprintf(message, message_size, "libjpeg: %s", text);
    return -1;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, jpeg, size);
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  if ((int)cinfo.output_width != width || (int)cinfo.output_height != height ||
      cinfo.output_components != 3) {
    snprintf(message, message_size, "decoded %ux%ux%d", cinfo.output_width, cinfo.output_height,
             cinfo.output_components);
    jpeg_destroy_decompress(&cinfo);
    return -1;
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = rgb + (size_t)cinfo.output_scanline * (size_t)width * 3;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return 0;
}

/* ---- libmng: display a JNG built around the given JPEG stream ---- */

struct mng_source {
  const unsigned char *data;
  size_t size, pos;
  unsigned char *canvas;
  int width, height;
  int header_seen;
};

static mng_ptr MNG_DECL cb_alloc(mng_size_t size) { return calloc(1, size); }
static void MNG_DECL cb_release(mng_ptr p, mng_size_t size) { (void)size; free(p); }
static mng_bool MNG_DECL cb_open(mng_handle h) { (void)h; return MNG_TRUE; }
static mng_bool MNG_DECL cb_close(mng_handle h) { (void)h; return MNG_TRUE; }

static mng_bool MNG_DECL cb_read(mng_handle h, mng_ptr buf, mng_uint32 len, mng_uint32p got) {
  struct mng_source *src = (struct mng_source *)mng_get_userdata(h);
  size_t left = src->size - src->pos;
  size_t n = len < left ? len : left;
  memcpy(buf, src->data + src->pos, n);
  src->pos += n;
  *got = (mng_uint32)n;
  return MNG_TRUE;
}

static mng_bool MNG_DECL cb_header(mng_handle h, mng_uint32 width, mng_uint32 height) {
  struct mng_source *src = (struct mng_source *)mng_get_userdata(h);
  src->header_seen = (int)width == src->width && (int)height == src->height;
  return src->header_seen ? MNG_TRUE : MNG_FALSE;
}

static mng_ptr MNG_DECL cb_line(mng_handle h, mng_uint32 line) {
  struct mng_source *src = (struct mng_source *)mng_get_userdata(h);
  return src->canvas + (size_t)line * (size_t)src->width * 3;
}

static mng_bool MNG_DECL cb_refresh_area(mng_handle h, mng_uint32 x, mng_uint32 y, mng_uint32 w,
                                          mng_uint32 hh) {
  (void)h; (void)x; (void)y; (void)w; (void)hh;
  return MNG_TRUE;
}

static mng_uint32 MNG_DECL cb_ticks(mng_handle h) { (void)h; return 0; }
static mng_bool MNG_DECL cb_timer(mng_handle h, mng_uint32 ms) { (void)h; (void)ms; return MNG_TRUE; }

static unsigned char *put_u32(unsigned char *p, unsigned long v) {
  p[0] = (unsigned char)(v >> 24); p[1] = (unsigned char)(v >> 16);
  p[2] = (unsigned char)(v >> 8); p[3] = (unsigned char)v;
  return p + 4;
}

static unsigned char *put_chunk(unsigned char *p, const char *type, const unsigned char *data,
                                size_t size) {
  unsigned char *start;
  p = put_u32(p, (unsigned long)size);
  start = p;
  memcpy(p, type, 4);
  if (size) memcpy(p + 4, data, size);
  p += 4 + size;
  return put_u32(p, crc32(crc32(0L, Z_NULL, 0), start, (uInt)(size + 4)));
}

const char *plain_mng_version(void) { return mng_version_text(); }

int plain_mng_display_jng(const unsigned char *jpeg, unsigned long size, unsigned char *rgb,
                          int width, int height, char *message, size_t message_size) {
  static const unsigned char signature[8] = {0x8B, 'J', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  unsigned char jhdr[16] = {0};
  unsigned char *file = malloc(size + 64), *p;
  struct mng_source src;
  mng_handle h;
  mng_retcode rc;
  if (!file) return -1;
  put_u32(put_u32(jhdr, (unsigned long)width), (unsigned long)height);
  jhdr[8] = 10; /* colour */
  jhdr[9] = 8;  /* sample depth */
  jhdr[10] = 8; /* JPEG baseline */
  memcpy(file, signature, sizeof signature);
  p = put_chunk(file + sizeof signature, "JHDR", jhdr, sizeof jhdr);
  p = put_chunk(p, "JDAT", jpeg, size);
  p = put_chunk(p, "IEND", NULL, 0);

  memset(&src, 0, sizeof src);
  src.data = file;
  src.size = (size_t)(p - file);
  src.canvas = rgb;
  src.width = width;
  src.height = height;
  h = mng_initialize(&src, cb_alloc, cb_release, MNG_NULL);
  if (h == MNG_NULL) {
    free(file);
    snprintf(message, message_size, "mng_initialize failed");
    return -1;
  }
  mng_setcb_openstream(h, cb_open);
  mng_setcb_closestream(h, cb_close);
  mng_setcb_readdata(h, cb_read);
  mng_setcb_processheader(h, cb_header);
  mng_setcb_getcanvasline(h, cb_line);
  mng_setcb_refresh(h, cb_refresh_area);
  mng_setcb_gettickcount(h, cb_ticks);
  mng_setcb_settimer(h, cb_timer);
  mng_set_canvasstyle(h, MNG_CANVAS_RGB8);
  rc = mng_readdisplay(h);
  /* Even a still image asks for a timer tick before it reports completion. */
  for (int ticks = 0; rc == MNG_NEEDTIMERWAIT && ticks < 100; ++ticks) rc = mng_display_resume(h);
  if (rc != MNG_NOERROR) {
    mng_int8 severity;
    mng_chunkid chunk;
    mng_uint32 seq;
    mng_int32 extra1, extra2;
    mng_pchar text = MNG_NULL;
    mng_getlasterror(h, &severity, &chunk, &seq, &extra1, &extra2, &text);
    snprintf(message, message_size, "mng_readdisplay = %d (%s)", (int)rc, text ? text : "?");
  }
  mng_cleanup(&h);
  free(file);
  if (rc == MNG_NOERROR && !src.header_seen) {
    snprintf(message, message_size, "no header callback");
    return -1;
  }
  return rc == MNG_NOERROR ? 0 : -1;
}
