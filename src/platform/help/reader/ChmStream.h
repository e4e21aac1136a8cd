#pragma once

#include <cstdint>

// What the help reader (kx4chmread) writes on its standard output for ChmFile, and how it ends.
// The reader opens a compiled help file through chmlib in a process of its own, so that a damaged
// file can take down only the reader. Numbers are little-endian.
//
//   Magic
//   per object: uint16 path length (1..MaxPathLength), the path (UTF-8, "/folder/page.htm"),
//               uint8 Bytes or Unreadable, and for Bytes: uint32 length and that many bytes
//   uint16 0 after the last object
namespace ChmStream {

inline constexpr char Magic[8] = {'K', 'X', '4', 'C', 'H', 'M', '1', '\n'};
inline constexpr uint8_t Bytes = 0;
inline constexpr uint8_t Unreadable = 1;

// chmlib's longest path.
inline constexpr uint16_t MaxPathLength = 512;
// Beyond these a file is refused as too large rather than read into memory.
inline constexpr uint64_t MaxTotalBytes = uint64_t(512) << 20;
inline constexpr uint32_t MaxObjects = 200000;

// The reader's exit status.
enum Exit : int {
    Done = 0,
    Usage = 1,
    NotHelpFile = 2,
    Damaged = 3,
    TooLarge = 4,
    CannotRead = 5,
};

} // namespace ChmStream
