#pragma once
// Targa files (tga, and the vst, vda, icb and win of TrueVision's older boards). Qt's Targa
// plugin reads only uncompressed true colour with a version 2 footer; this reader takes what
// paint and scanning programs write.

#include "codecs/decoding.h"

#include <QByteArray>

// Decodes a Targa file: colour-mapped, true colour and greyscale images, each uncompressed or
// run-length encoded, 8 to 32 bits a pixel, from any of the four corners. Alpha comes from the
// attribute bits the header declares (an alpha channel that is zero everywhere is taken as
// unused). Format_ARGB32 with alpha, else Format_RGB32.
TDecodeResult ReadTga(const QByteArray &bytes);

// Whether the bytes end in the footer of a version 2 Targa file, its only signature.
bool HasTgaFooter(const QByteArray &bytes);
