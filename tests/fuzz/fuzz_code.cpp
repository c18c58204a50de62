// Code records of any content. Reading never crashes, leaks or hangs; what was read either
// encodes or says why not, draws on screen and for output, and writes a record that reads back
// to the same bytes.

#include "documentfuzz.h"
#include "fuzzsupport.h"

#include "common/testsupport.h"
#include "document/code.h"
#include "platform/canvas.h"

#include <QImage>

namespace {
// The code is drawn into a picture this large, at a scale that fits its bounds into it.
constexpr int PictureSide = 96;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    return StartDocumentFuzzing();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    Tvnlcode code;
    ReadRecordInto(code, input);
    const TCodeResult &result = code.Encoded();
    FUZZ_CHECK((result.Vector != nullptr) == result.Error.isEmpty());
    FUZZ_CHECK(code.PrintProblem() == result.Error);

    code.Bounds = {0, 0, std::max(code.Width(), MinObjectSize), std::max(code.Height(), MinObjectSize)};
    const double scale = double(PictureSide) / std::max(code.Width(), code.Height());
    QImage picture = WhiteImage(PictureSide, PictureSide);
    Tcanvas canvas(&picture);
    const TRect view{0, 0, PictureSide, PictureSide};
    code.Draw(canvas, view, false, view, scale);
    code.Draw(canvas, view, true, view, scale);
    code.GetDefaultSize(4000);

    const QByteArray written = RecordOf(code);
    Tvnlcode again;
    ReadRecordInto(again, written);
    // All but the serial number, which every object takes anew.
    FUZZ_CHECK(RecordOf(again).mid(15) == written.mid(15));
    return 0;
}
