// Helpers of the PNG codec: exact reads, big-endian numbers, the zlib calls and the texts of
// its exceptions.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>
#include "framework/Types.h"

class TStream;
struct z_stream_s;

namespace png_io {

extern const char* const msgInvalidFileHeader;
extern const char* const msgIhdrNotFirst;
extern const char* const msgUnexpectedEnd;
extern const char* const msgUnknownCriticalChunk;
extern const char* const msgNoImageData;
extern const char* const msgInvalidCrc;
extern const char* const msgInvalidIhdr;
extern const char* const msgSizeExceeds;
extern const char* const msgUnknownCompression;
extern const char* const msgUnknownInterlace;
extern const char* const msgMissingMultipleIdat;
extern const char* const msgInvalidPalette;
extern const char* const msgHeaderNotPresent;
extern const char* const msgOutMemory;

// Reads exactly `count` bytes; a short read raises EPngUnexpectedEnd.
void ReadExact(TStream* stream, void* buffer, size_t count);
uint32_t ReadBigEndian(TStream* stream);
void WriteBigEndian(TStream* stream, uint32_t value);
inline uint32_t BigEndian(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
inline void PutBigEndian(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v >> 24);
  p[1] = uint8_t(v >> 16);
  p[2] = uint8_t(v >> 8);
  p[3] = uint8_t(v);
}
// Bytes left from the stream's position to its end.
int64_t Remaining(TStream* stream);

// zlib set up with the version and record size this code was written against.
int InflateInit(z_stream_s* z);
int DeflateInit(z_stream_s* z, int level);
// EPNGZLIBError for a zlib result code.
[[noreturn]] void RaiseZlibError(int code);
// Inflates a whole zlib stream into `text`; false when it is malformed, incomplete or would
// give more than `limit` bytes.
bool InflateBounded(const uint8_t* data, size_t size, size_t limit, AnsiString& text);
// Deflates `size` bytes into a complete zlib stream.
void DeflateAll(const uint8_t* data, size_t size, int level, std::vector<uint8_t>& out);

}  // namespace png_io
