// libjpeg reports errors by calling error_exit, which by default prints and
// ends the process. Here error_exit (and the warnings that mean the data is
// truncated or corrupt) longjmp back to the function that started the
// decoding or encoding, which then throws. Only libjpeg's C frames and our
// callbacks lie between setjmp and longjmp, so no C++ destructor is skipped;
// the functions that call setjmp keep nothing in local objects that changes
// after the setjmp.
#include "imaging/jpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "imaging/picture_file.h"

// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace vh {
namespace {

struct ErrorManager {
  jpeg_error_mgr base;  // first member: libjpeg sees a jpeg_error_mgr*
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void ErrorExit(j_common_ptr info) {
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->message);
  std::longjmp(manager->jump, 1);
}

// Warnings are silent, except those saying the data ended early or is
// damaged: a picture decoded from such data is partly grey or garbage, and
// the reader would not know.
void EmitMessage(j_common_ptr info, int level) {
  if (level >= 0) return;  // trace messages
  const int code = info->err->msg_code;
  if (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_HUFF_BAD_CODE) ErrorExit(info);
  info->err->num_warnings++;
}

void OutputMessage(j_common_ptr) {}

void InstallErrorManager(ErrorManager& manager) {
  jpeg_std_error(&manager.base);
  manager.base.error_exit = ErrorExit;
  manager.base.emit_message = EmitMessage;
  manager.base.output_message = OutputMessage;
  manager.message[0] = '\0';
}

struct Decoder {
  jpeg_decompress_struct info;
  ErrorManager errors;
  bool created = false;
  ~Decoder() {
    if (created) jpeg_destroy_decompress(&info);
  }
};

// Reads the header and starts decompression. Returns false with the message
// in decoder.errors.message on failure.
bool StartDecoding(Decoder& decoder, const std::uint8_t* data, std::size_t size) {
  if (setjmp(decoder.errors.jump)) return false;
  jpeg_create_decompress(&decoder.info);
  decoder.created = true;
  jpeg_mem_src(&decoder.info, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
  jpeg_read_header(&decoder.info, TRUE);
  // libjpeg turns YCbCr into RGB and YCCK into CMYK; greyscale and CMYK are
  // expanded to RGB below, where the Adobe marker is known.
  switch (decoder.info.jpeg_color_space) {
    case JCS_GRAYSCALE:
      decoder.info.out_color_space = JCS_GRAYSCALE;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      decoder.info.out_color_space = JCS_CMYK;
      break;
    default:
      decoder.info.out_color_space = JCS_RGB;
      break;
  }
  return true;
}

bool BeginDecompress(Decoder& decoder) {
  if (setjmp(decoder.errors.jump)) return false;
  jpeg_start_decompress(&decoder.info);
  return true;
}

// Decodes the scanlines into `image` (sized, its pixels reserved but empty),
// appending one row at a time through `row` (output_width *
// output_components bytes): memory is touched only as rows arrive, so a
// small damaged file claiming a huge picture fails before costing much.
bool DecodeRows(Decoder& decoder, Image& image, std::uint8_t* row) {
  if (setjmp(decoder.errors.jump)) return false;
  jpeg_decompress_struct& info = decoder.info;
  // Adobe applications store CMYK inverted (0 = full ink).
  const bool inverted = info.saw_Adobe_marker;
  while (info.output_scanline < info.output_height) {
    const int y = static_cast<int>(info.output_scanline);
    JSAMPROW rows[1] = {row};
    if (jpeg_read_scanlines(&info, rows, 1) != 1) ERREXIT(&info, JERR_INPUT_EMPTY);
    image.pixels.resize(image.pixels.size() + image.RowBytes());
    std::uint8_t* out = image.Row(y);
    for (int x = 0; x < image.width; ++x, out += 3) {
      if (info.output_components == 1) {
        out[0] = out[1] = out[2] = row[x];
      } else if (info.output_components == 3) {
        std::memcpy(out, row + 3 * static_cast<std::size_t>(x), 3);
      } else {
        const std::uint8_t* cmyk = row + 4 * static_cast<std::size_t>(x);
        const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
        for (int c = 0; c < 3; ++c) {
          const unsigned ink = inverted ? cmyk[c] : 255u - cmyk[c];
          out[c] = static_cast<std::uint8_t>((ink * k + 127) / 255);
        }
      }
    }
  }
  jpeg_finish_decompress(&info);
  return true;
}

struct Encoder {
  jpeg_compress_struct info;
  ErrorManager errors;
  bool created = false;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  ~Encoder() {
    if (created) jpeg_destroy_compress(&info);
    std::free(buffer);
  }
};

bool EncodeRows(Encoder& encoder, const Image& image, int quality, std::uint8_t* row) {
  if (setjmp(encoder.errors.jump)) return false;
  jpeg_compress_struct& info = encoder.info;
  jpeg_create_compress(&info);
  encoder.created = true;
  jpeg_mem_dest(&info, &encoder.buffer, &encoder.size);
  info.image_width = static_cast<JDIMENSION>(image.width);
  info.image_height = static_cast<JDIMENSION>(image.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);  // baseline quantisation tables
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    const std::uint8_t* src = image.Row(static_cast<int>(info.next_scanline));
    for (int x = 0; x < image.width; ++x) {
      std::memcpy(row + 3 * static_cast<std::size_t>(x), src + static_cast<std::size_t>(x) * image.channels,
                  3);
    }
    JSAMPROW rows[1] = {row};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  return true;
}

}  // namespace

Image DecodeJPEG(const std::uint8_t* data, std::size_t size, const std::string& name) {
  Decoder decoder;
  InstallErrorManager(decoder.errors);
  decoder.info.err = &decoder.errors.base;
  const auto fail = [&](const char* what) -> PictureError {
    return PictureError(name + ": " + what + " (" + decoder.errors.message + ")");
  };
  if (size == 0) throw PictureError(name + ": the file is empty, not a JPEG picture");
  if (!StartDecoding(decoder, data, size)) throw fail("not a readable JPEG picture");
  CheckPictureSize(static_cast<int>(std::min<JDIMENSION>(decoder.info.image_width, INT32_MAX)),
                   static_cast<int>(std::min<JDIMENSION>(decoder.info.image_height, INT32_MAX)), name);
  if (!BeginDecompress(decoder)) throw fail("cannot decode the JPEG picture");
  const int components = decoder.info.output_components;
  if (components != 1 && components != 3 && components != 4) {
    throw PictureError(name + ": unsupported JPEG colour layout (" + std::to_string(components) +
                       " components)");
  }
  CheckPictureSize(static_cast<int>(decoder.info.output_width), static_cast<int>(decoder.info.output_height),
                   name);
  Image image;
  image.width = static_cast<int>(decoder.info.output_width);
  image.height = static_cast<int>(decoder.info.output_height);
  image.channels = 3;
  image.pixels.reserve(image.RowBytes() * static_cast<std::size_t>(image.height));
  std::vector<std::uint8_t> row(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(components));
  if (!DecodeRows(decoder, image, row.data())) throw fail("cannot decode the JPEG picture");
  return image;
}

Image ReadJPEG(const std::string& path) {
  const std::vector<std::uint8_t> bytes = ReadPictureFile(path, kMaxJpegFileBytes, "JPEG");
  return DecodeJPEG(bytes.data(), bytes.size(), path);
}

std::vector<std::uint8_t> EncodeJPEG(const Image& image, int quality) {
  if (image.Empty() || (image.channels != 3 && image.channels != 4) ||
      image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * image.channels) {
    throw PictureError("cannot encode an empty or malformed picture as JPEG");
  }
  CheckPictureSize(image.width, image.height, "JPEG picture");
  Encoder encoder;
  InstallErrorManager(encoder.errors);
  encoder.info.err = &encoder.errors.base;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(image.width) * 3);
  if (!EncodeRows(encoder, image, quality, row.data())) {
    throw PictureError(std::string("cannot encode the JPEG picture (") + encoder.errors.message + ")");
  }
  return std::vector<std::uint8_t>(encoder.buffer, encoder.buffer + encoder.size);
}

void WriteJPEG(const std::string& path, const Image& image) {
  std::vector<std::uint8_t> bytes;
  try {
    bytes = EncodeJPEG(image);
  } catch (const PictureError& error) {
    throw PictureError(path + ": " + error.what());
  }
  WritePictureFile(path, bytes);
}

}  // namespace vh
