#pragma once
// What the benchmark programs share.

#include <QImage>

// A 12-megapixel photograph: smooth gradients with some detail, as a camera gives (made once).
const QImage &Photo();

// The main of a benchmark program of the document model: an application on the offscreen
// platform, the module initialisations, then every benchmark registered.
int RunDocumentBenchmarks(int argc, char **argv);
