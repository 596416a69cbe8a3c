// Every message text of the GIF library, in one table. The texts are part of the
// library's behaviour: callers show them to the user and tests compare them.
#pragma once

namespace gif::msg {

// Streams, files and the persistent base.
inline constexpr const char* CannotOpenFile = "Cannot open file \"%s\". %s";
inline constexpr const char* CannotCreateFile = "Cannot create file \"%s\". %s";
inline constexpr const char* AssignError = "Cannot assign a %s to a %s";
inline constexpr const char* StreamRead = "Stream read error";
inline constexpr const char* StreamWrite = "Stream write error";
inline constexpr const char* OldContentKept =
    "Stream write error. The file could not be put back as it was; its previous content is in "
    "\"%s\"";
inline constexpr const char* OldContentLost =
    "Stream write error. The file could not be put back as it was, and its previous content "
    "could not be kept elsewhere";
inline constexpr const char* InvalidStreamOperation = "Invalid stream operation";
inline constexpr const char* ListIndexOutOfBounds = "List index out of bounds (%s)";

// Progress messages.
inline constexpr const char* Loading = "Loading...";
inline constexpr const char* Saving = "Saving...";

// Document, header and reader.
inline constexpr const char* PrematureEnd = "Premature end of data";
inline constexpr const char* BadSignature = "Invalid GIF signature";
inline constexpr const char* BadScreenColorCount =
    "Invalid number of colors specified in Screen Descriptor";
inline constexpr const char* BadImageColorCount =
    "Invalid number of colors specified in Image Descriptor";
inline constexpr const char* UnknownBlockType = "Unknown GIF block type";
inline constexpr const char* BadTrailer = "Invalid Image trailer";
inline constexpr const char* ImageExceedsScreen = "Image exceeds Logical Screen size";
inline constexpr const char* UnsupportedVersion = "Unsupported GIF version";
inline constexpr const char* OutOfMemory = "Not enough memory for the image pixels";
inline constexpr const char* PixelLimitExceeded =
    "Image of %s x %s pixels exceeds the limit of %s pixels for one image";
inline constexpr const char* MemoryBudgetExceeded =
    "Image of %s x %s pixels would take the document's pixels to %s MiB of memory, more than "
    "the %s MiB a document may use (half the computer's memory)";
inline constexpr const char* CanvasLimitExceeded =
    "The images cover %s x %s pixels of the logical screen, more than the %s pixels that can "
    "be shown";

// Colour maps.
inline constexpr const char* BadColorIndex = "Invalid color index";
inline constexpr const char* EmptyColorTable = "Color table is empty";
inline constexpr const char* ColorTableOverflow = "Color table overflow";

// Extensions.
inline constexpr const char* UnknownExtension = "Unknown extension type";
inline constexpr const char* BadExtensionIntroducer = "Invalid extension introducer";
inline constexpr const char* ExtensionLabelMismatch =
    "Internal error: Extension Instance does not match Extension Label";
inline constexpr const char* BadAppExtensionSize = "Unsupported Application Extension block size";
inline constexpr const char* InvalidData = "Invalid GIF data";

// LZW codec.
inline constexpr const char* BitBufferUnderrun = "Decoder bit buffer under-run";
inline constexpr const char* CircularTableEntry = "Circular decoder table entry";
inline constexpr const char* BadCodeSize = "LZW minimum code size out of range";
inline constexpr const char* ColorNotInTable = "Color not in color table";
inline constexpr const char* PixelDataMismatch = "Pixel data does not match the image size";

}  // namespace gif::msg
