// The numbers of the GIF file format (GIF89a sections 17 to 26): the bytes
// that introduce blocks, the extension labels, and the bit fields of the
// packed bytes. Code that reads or writes the format names them from here.
#pragma once

#include <cstdint>

namespace gif::fmt {

// Block introducers and the end of a sub-block chain.
inline constexpr uint8_t ExtensionIntroducer = 0x21;
inline constexpr uint8_t ImageSeparator = 0x2C;
inline constexpr uint8_t Trailer = 0x3B;
inline constexpr uint8_t BlockTerminator = 0x00;

// Extension labels.
inline constexpr uint8_t PlainTextLabel = 0x01;
inline constexpr uint8_t GraphicControlLabel = 0xF9;
inline constexpr uint8_t CommentLabel = 0xFE;
inline constexpr uint8_t ApplicationLabel = 0xFF;

// Block sizes of the fixed records that open an extension.
inline constexpr uint8_t GraphicControlBlockSize = 4;
inline constexpr uint8_t PlainTextBlockSize = 12;
inline constexpr uint8_t AppIdentifierSize = 11;
// A block of 10 bytes holds the identifier without the last byte of its
// authentication code.
inline constexpr uint8_t ShortAppIdentifierSize = 10;

// The size field shared by both packed bytes that describe a colour table:
// the table has 2 << (packed & TableSizeMask) entries.
inline constexpr uint8_t TableSizeMask = 0x07;
inline constexpr int TableSize(uint8_t packed) {
  return 2 << (packed & TableSizeMask);
}

// Logical screen descriptor, packed byte.
inline constexpr uint8_t GlobalTableFlag = 0x80;
inline constexpr uint8_t ColorResolutionMask = 0x70;
inline constexpr int ColorResolutionShift = 4;
inline constexpr uint8_t GlobalSortFlag = 0x08;

// Image descriptor, packed byte.
inline constexpr uint8_t LocalTableFlag = 0x80;
inline constexpr uint8_t InterlaceFlag = 0x40;
inline constexpr uint8_t LocalSortFlag = 0x20;
inline constexpr uint8_t DescriptorReservedMask = 0x18;

// Graphic control extension, packed byte.
inline constexpr uint8_t TransparentColorFlag = 0x01;
inline constexpr uint8_t UserInputFlag = 0x02;
inline constexpr uint8_t DisposalMask = 0x1C;
inline constexpr int DisposalShift = 2;
inline constexpr uint8_t DisposalValueMask = 0x07;

}  // namespace gif::fmt
