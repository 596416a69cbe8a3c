// Decodes a JFIF picture held in memory with libjpeg.
#pragma once

#include <QImage>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace app {

// The decoded picture, or a null image when libjpeg gives up; then *error (if
// given) holds libjpeg's message. Never ends the program, whatever the bytes.
QImage DecodeJpeg(const uint8_t* data, std::size_t size, QString* error = nullptr);

}  // namespace app
