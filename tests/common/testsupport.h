#pragma once
// Helpers shared by the tests: reading pixels as colour values, object records.

#include "platform/colors.h"

#include <QByteArray>
#include <QImage>
#include <cstdint>

class Tdrawobj;

// The 0x00BBGGRR colour of the pixel at (x, y).
TColor PixelAt(const QImage &image, int x, int y);

// A white 32-bit image of the given size.
QImage WhiteImage(int width, int height);

// The record an object writes (header and body, without a length frame).
QByteArray RecordOf(const Tdrawobj &o);
// Reads a record (header and body) into an object.
void ReadRecordInto(Tdrawobj &o, const QByteArray &bytes);
// The four little-endian bytes of an int32.
QByteArray Int32Bytes(int32_t v);
