#pragma once
// What the benchmark programs share.

#include <QImage>

// A 12-megapixel photograph: smooth gradients with some detail, as a camera gives (made once).
const QImage &Photo();
