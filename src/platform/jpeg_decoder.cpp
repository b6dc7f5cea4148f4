#include "platform/jpeg_decoder.h"

// jpeglib.h needs FILE and size_t declared before it.
// clang-format off
#include <cstdio>
#include <csetjmp>
#include <jpeglib.h>
// clang-format on

namespace kb {
namespace {

// The library's standard error manager ends the program on a fatal error.
// Ours jumps back into DecodeJpeg instead, and keeps every message off the
// standard streams.
struct ErrorManager {
  jpeg_error_mgr standard;
  std::jmp_buf jump;
};

[[noreturn]] void JumpBack(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void Silent(j_common_ptr) {}

// A progressive file may hold any number of scans, each of which costs a
// pass over the whole picture; real pictures have a dozen or so.
constexpr long kMaxScans = 1000;

void LimitScans(j_common_ptr cinfo) {
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->input_scan_number > kMaxScans) JumpBack(cinfo);
}

// What one picture may ask of the library's memory manager beyond the
// decoded rows; more means a damaged or hostile file.
constexpr long kMaxDecoderMemory = 512L * 1024 * 1024;

JpegSamples SamplesOf(J_COLOR_SPACE space) {
  if (space == JCS_RGB) return JpegSamples::Rgb;
  if (space == JCS_GRAYSCALE) return JpegSamples::Grey;
  return JpegSamples::Other;
}

// The decoder's state: plain C objects, kept in one place across the
// jump back from an error.
struct Decoder {
  jpeg_decompress_struct cinfo;
  ErrorManager errors;
  jpeg_progress_mgr progress;
  volatile bool allRows = false;
};

JpegStatus Decode(Decoder& d, std::string_view file, JpegSink& sink) {
  j_decompress_ptr cinfo = &d.cinfo;
  jpeg_create_decompress(cinfo);
  cinfo->mem->max_memory_to_use = kMaxDecoderMemory;
  d.progress.progress_monitor = LimitScans;
  cinfo->progress = &d.progress;
  jpeg_mem_src(cinfo, reinterpret_cast<const unsigned char*>(file.data()),
               static_cast<unsigned long>(file.size()));
  jpeg_read_header(cinfo, TRUE);
  jpeg_calc_output_dimensions(cinfo);

  JpegHeader header;
  header.width = static_cast<int>(cinfo->output_width);
  header.height = static_cast<int>(cinfo->output_height);
  header.samples = SamplesOf(cinfo->out_color_space);
  if (header.samples == JpegSamples::Other) return JpegStatus::OtherColours;
  if (!sink.Start(header)) return JpegStatus::Refused;

  jpeg_start_decompress(cinfo);
  const JDIMENSION rowSamples = cinfo->output_width * static_cast<JDIMENSION>(cinfo->output_components);
  JSAMPARRAY row = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, rowSamples, 1);
  while (cinfo->output_scanline < cinfo->output_height) {
    const int y = static_cast<int>(cinfo->output_scanline);
    // A memory source never suspends, so each call yields a row; a call
    // that yields none would loop for ever.
    if (jpeg_read_scanlines(cinfo, row, 1) != 1) JumpBack(reinterpret_cast<j_common_ptr>(cinfo));
    sink.Row(y, row[0]);
  }
  d.allRows = true;
  jpeg_finish_decompress(cinfo);
  return JpegStatus::Decoded;
}

}  // namespace

// The sink is called between library calls, never from inside one, so the
// jump back from an error never passes over a frame of ours.
JpegStatus DecodeJpeg(std::string_view file, JpegSink& sink) {
  Decoder d{};
  d.cinfo.err = jpeg_std_error(&d.errors.standard);
  d.errors.standard.error_exit = JumpBack;
  d.errors.standard.output_message = Silent;
  JpegStatus status = JpegStatus::Broken;
  if (setjmp(d.errors.jump) == 0) {
    status = Decode(d, file, sink);
  } else if (d.allRows) {
    // Damage found only after the last row (in the trailing markers) does
    // not take the picture back.
    status = JpegStatus::Decoded;
  }
  jpeg_destroy_decompress(&d.cinfo);
  return status;
}

}  // namespace kb
