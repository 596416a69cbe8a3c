#include "app/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace app {

namespace {

// libjpeg's default error_exit calls exit(); this one jumps back to the decode
// call with the message kept.
struct TJpegErrorManager {
  jpeg_error_mgr Base;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JumpOnError(j_common_ptr cinfo) {
  auto* manager = reinterpret_cast<TJpegErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, manager->Message);
  std::longjmp(manager->Jump, 1);
}

// Corrupt-data warnings would go to stderr; the picture is used as decoded.
void IgnoreMessage(j_common_ptr, int) {}

// Every libjpeg call that can fail runs here, between setjmp and any longjmp;
// the function owns no object with a destructor, so the jump skips nothing that
// needs cleaning up. The picture lives in the caller's frame.
bool DecodeInto(jpeg_decompress_struct* cinfo, TJpegErrorManager* manager, const uint8_t* data,
                std::size_t size, QImage* picture) {
  if (setjmp(manager->Jump) != 0) return false;
  jpeg_create_decompress(cinfo);
  jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(cinfo, TRUE);
  cinfo->out_color_space = JCS_RGB;
  jpeg_start_decompress(cinfo);
  *picture = QImage(static_cast<int>(cinfo->output_width), static_cast<int>(cinfo->output_height),
                    QImage::Format_RGB888);
  if (picture->isNull()) return false;
  while (cinfo->output_scanline < cinfo->output_height) {
    JSAMPROW row = picture->scanLine(static_cast<int>(cinfo->output_scanline));
    jpeg_read_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_decompress(cinfo);
  return true;
}

}  // namespace

QImage DecodeJpeg(const uint8_t* data, std::size_t size, QString* error) {
  jpeg_decompress_struct cinfo{};
  TJpegErrorManager manager{};
  cinfo.err = jpeg_std_error(&manager.Base);
  manager.Base.error_exit = JumpOnError;
  manager.Base.emit_message = IgnoreMessage;
  QImage picture;
  const bool decoded =
      data != nullptr && size > 0 && DecodeInto(&cinfo, &manager, data, size, &picture);
  jpeg_destroy_decompress(&cinfo);
  if (decoded) return picture;
  if (error != nullptr)
    *error = manager.Message[0] != '\0' ? QString::fromLocal8Bit(manager.Message)
                                        : QStringLiteral("No picture data");
  return QImage();
}

}  // namespace app
