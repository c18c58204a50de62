#pragma once
// Helpers shared by the tests: reading pixels as colour values, object records.

#include "platform/colors.h"

#include <QByteArray>
#include <QImage>

class Tdrawobj;

// The 0x00BBGGRR colour of the pixel at (x, y).
TColor PixelAt(const QImage &image, int x, int y);

// A white 32-bit image of the given size.
QImage WhiteImage(int width, int height);

// The record an object writes (header and body, without a length frame).
QByteArray RecordOf(const Tdrawobj &o);
