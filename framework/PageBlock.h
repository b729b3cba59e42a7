// A block of memory taken from the system in whole pages, so that a tail that is no longer
// needed can be given back while the rest stays where it is.
#pragma once

#include <cstddef>

class TPageBlock {
 public:
  // Reserves and commits Size bytes; raises std::bad_alloc when the system has none.
  explicit TPageBlock(size_t Size);
  TPageBlock(const TPageBlock&) = delete;
  TPageBlock& operator=(const TPageBlock&) = delete;
  ~TPageBlock();

  char* Bytes() const { return bytes_; }
  size_t Size() const { return size_; }
  // Gives back the whole pages past the first Keep bytes.
  void ReleaseTail(size_t Keep);

 private:
  char* bytes_;
  size_t size_;
};
