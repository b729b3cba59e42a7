// The basic value types every unit shares: the two string kinds, points, rectangles, sizes.
#pragma once

#include <cstdint>
#include <string>

// 8-bit text in the ANSI code page (the editor's lines, ANSI files, settings keys).
using AnsiString = std::string;
// UTF-16 text (captions, hints, file names, everything the user interface shows).
using WideString = std::wstring;

// Days since 30 December 1899; the fraction is the time of day.
using TDateTime = double;

using Cardinal = uint32_t;
using Word = uint16_t;
using Byte = uint8_t;
using LongBool = int32_t;

struct TPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const TPoint&) const = default;
};

struct TSize {
  int cx = 0;
  int cy = 0;
  bool operator==(const TSize&) const = default;
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(const TPoint& p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
  TPoint TopLeft() const { return {Left, Top}; }
  TPoint BottomRight() const { return {Right, Bottom}; }
  bool operator==(const TRect&) const = default;
};

inline TPoint Point(int x, int y) { return {x, y}; }
inline TRect Rect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }
inline TRect Bounds(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }
