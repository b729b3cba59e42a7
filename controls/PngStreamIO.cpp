// Helpers of the PNG codec: exact reads, big-endian numbers, the zlib calls and the texts of
// its exceptions.
#include "controls/PngStreamIO.h"
#include <zlib.h>
#include <string>
#include "controls/PngGraphic.h"
#include "framework/Streams.h"

namespace png_io {

const char* const msgInvalidFileHeader =
    "The file being readed is not a valid \"Portable Network Graphics\" image because it contains an invalid "
    "header. This file may be corruped, try obtaining it again.";
const char* const msgIhdrNotFirst =
    "This \"Portable Network Graphics\" image is not supported or it might be invalid.\r\n"
    "(IHDR chunk is not the first)";
const char* const msgUnexpectedEnd =
    "This \"Portable Network Graphics\" image is invalid because the decoder found an unexpected end of the file.";
const char* const msgUnknownCriticalChunk =
    "This \"Portable Network Graphics\" image contains an unknown critical part which could not be decoded.";
const char* const msgNoImageData = "This \"Portable Network Graphics\" image contains no data.";
const char* const msgInvalidCrc =
    "This \"Portable Network Graphics\" image is not valid because it contains invalid pieces of data (crc "
    "error)";
const char* const msgInvalidIhdr =
    "The \"Portable Network Graphics\" image could not be loaded because one of its main piece of data (ihdr) "
    "might be corrupted";
const char* const msgSizeExceeds =
    "This \"Portable Network Graphics\" image is not supported because either it's width or height exceeds the "
    "maximum size, which is 65535 pixels length.";
const char* const msgUnknownCompression =
    "This \"Portable Network Graphics\" image is encoded with an unknown compression scheme which could not be "
    "decoded.";
const char* const msgUnknownInterlace =
    "This \"Portable Network Graphics\" image uses an unknown interlace scheme which could not be decoded.";
const char* const msgMissingMultipleIdat =
    "This \"Portable Network Graphics\" image is invalid because it has missing image parts.";
const char* const msgInvalidPalette = "The \"Portable Network Graphics\" image contains an invalid palette.";
const char* const msgHeaderNotPresent =
    "This operation is not valid because the current image contains no valid header.";
const char* const msgOutMemory =
    "Some operation could not be performed because the system is out of resources. Close some windows and try "
    "again.";

void ReadExact(TStream* Stream, void* Buffer, size_t Count) {
  auto* out = static_cast<uint8_t*>(Buffer);
  while (Count > 0) {
    int got = Stream->Read(out, static_cast<int>(Count > 0x40000000 ? 0x40000000 : Count));
    if (got <= 0) throw EPngUnexpectedEnd(msgUnexpectedEnd);
    out += got;
    Count -= static_cast<size_t>(got);
  }
}

uint32_t ReadBigEndian(TStream* Stream) {
  uint8_t b[4];
  ReadExact(Stream, b, 4);
  return BigEndian(b);
}

void WriteBigEndian(TStream* Stream, uint32_t Value) {
  uint8_t b[4];
  PutBigEndian(b, Value);
  Stream->WriteBuffer(b, 4);
}

int64_t Remaining(TStream* Stream) {
  int64_t left = Stream->Size() - Stream->Position();
  return left < 0 ? 0 : left;
}

// The codec was written against zlib 1.2.2, whose stream record has this size here.
constexpr char zlibVersion[] = "1.2.2";
static_assert(sizeof(z_stream) == 56, "the zlib stream record of a 32-bit build");

int InflateInit(z_stream_s* Z) { return inflateInit_(Z, zlibVersion, 56); }
int DeflateInit(z_stream_s* Z, int Level) { return deflateInit_(Z, Level, zlibVersion, 56); }

void RaiseZlibError(int Code) {
  throw EPNGZLIBError(std::string("Could not decompress the image because it contains invalid compressed data.\r\n"
                                  " Description: ") +
                      zError(Code));
}

bool InflateBounded(const uint8_t* Data, size_t Size, size_t Limit, AnsiString& Text) {
  z_stream z{};
  if (InflateInit(&z) != Z_OK) return false;
  z.next_in = const_cast<Bytef*>(Data);
  z.avail_in = static_cast<uInt>(Size);
  Text.clear();
  char step[256];
  int result = Z_OK;
  while (result == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(step);
    z.avail_out = sizeof step;
    result = inflate(&z, Z_NO_FLUSH);
    size_t produced = sizeof step - z.avail_out;
    if (Text.size() + produced > Limit) {
      result = Z_MEM_ERROR;
      break;
    }
    Text.append(step, produced);
    if (result == Z_OK && produced == 0 && z.avail_in == 0) result = Z_BUF_ERROR;  // stream cut short
  }
  inflateEnd(&z);
  if (result != Z_STREAM_END) Text.clear();
  return result == Z_STREAM_END;
}

void DeflateAll(const uint8_t* Data, size_t Size, int Level, std::vector<uint8_t>& Out) {
  z_stream z{};
  if (DeflateInit(&z, Level) != Z_OK) throw EPNGOutMemory(msgOutMemory);
  Out.resize(deflateBound(&z, static_cast<uLong>(Size)));
  z.next_in = const_cast<Bytef*>(Data);
  z.avail_in = static_cast<uInt>(Size);
  z.next_out = Out.data();
  z.avail_out = static_cast<uInt>(Out.size());
  deflate(&z, Z_FINISH);
  Out.resize(z.total_out);
  deflateEnd(&z);
}

}  // namespace png_io
