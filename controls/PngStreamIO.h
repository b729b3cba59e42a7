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
void ReadExact(TStream* Stream, void* Buffer, size_t Count);
uint32_t ReadBigEndian(TStream* Stream);
void WriteBigEndian(TStream* Stream, uint32_t Value);
inline uint32_t BigEndian(const uint8_t* P) {
  return uint32_t(P[0]) << 24 | uint32_t(P[1]) << 16 | uint32_t(P[2]) << 8 | P[3];
}
inline void PutBigEndian(uint8_t* P, uint32_t V) {
  P[0] = uint8_t(V >> 24);
  P[1] = uint8_t(V >> 16);
  P[2] = uint8_t(V >> 8);
  P[3] = uint8_t(V);
}
// Bytes left from the stream's position to its end.
int64_t Remaining(TStream* Stream);

// zlib set up with the version and record size this code was written against.
int InflateInit(z_stream_s* Z);
int DeflateInit(z_stream_s* Z, int Level);
// EPNGZLIBError for a zlib result code.
[[noreturn]] void RaiseZlibError(int Code);
// Inflates a whole zlib stream into `text`; false when it is malformed, incomplete or would
// give more than `limit` bytes.
bool InflateBounded(const uint8_t* Data, size_t Size, size_t Limit, AnsiString& Text);
// Deflates `size` bytes into a complete zlib stream.
void DeflateAll(const uint8_t* Data, size_t Size, int Level, std::vector<uint8_t>& Out);

}  // namespace png_io
