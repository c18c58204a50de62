#include "document/codesymbol.h"

#include <QRegularExpression>
#include <algorithm>
#include <zint.h>

const char *const QrLevelNames[QrLevelCount] = {"L (7 %)", "M (15 %)", "Q (25 %)", "H (30 %)"};

namespace {

// Modules are 13 thousandths of an inch (0.33 mm) in a retail code at 100 %; matrix codes and the
// other linear codes have no nominal size, and start at sizes that any printer prints.
const TSymbologyInfo Table[SymbologyCount] = {
    {TSymbology::QrCode, "QR Code", false, false, 0, 20, "https://www.example.com/"},
    {TSymbology::Ean13, "EAN-13", true, false, 13, 13, "4006381333931"},
    {TSymbology::UpcA, "UPC-A", true, false, 13, 13, "036000291452"},
    {TSymbology::Ean8, "EAN-8", true, false, 13, 13, "96385074"},
    {TSymbology::Code128, "Code 128", true, false, 0, 10, "LOT-2021-42"},
    {TSymbology::Gs1_128, "GS1-128", true, true, 0, 10, "(01)09501101530003(10)LOT42"},
    {TSymbology::DataMatrix, "DataMatrix", false, false, 0, 20, "LOT-2021-42"},
    {TSymbology::Gs1DataMatrix, "GS1 DataMatrix", false, true, 0, 20, "(01)09501101530003(10)LOT42"},
    {TSymbology::Code39, "Code 39", true, false, 0, 10, "LOT-42"},
};

// The digits a retail number takes without and with its check digit.
struct TGtinRule {
    TSymbology Symbology;
    int Digits;
};
const TGtinRule GtinRules[] = {{TSymbology::Ean13, 12}, {TSymbology::UpcA, 11}, {TSymbology::Ean8, 7}};

const QString Code39Characters = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ -.$/+%");

struct TSymbolDeleter {
    void operator()(zint_symbol *s) const { ZBarcode_Delete(s); }
};
using TSymbolPtr = std::unique_ptr<zint_symbol, TSymbolDeleter>;

// Data as a message quotes it: a long one by its beginning and end.
constexpr qsizetype QuotedLength = 40;
QString Quoted(const QString &data)
{
    if (data.size() <= QuotedLength)
        return data;
    return data.left(QuotedLength / 2) + QChar(0x2026) + data.right(QuotedLength / 2 - 1);
}

const TGtinRule *GtinRuleOf(uint8_t symbology)
{
    for (const TGtinRule &r : GtinRules)
        if (uint8_t(r.Symbology) == symbology)
            return &r;
    return nullptr;
}

// The first character of text that is not in allowed, or an empty text.
QString FirstOutside(const QString &text, const auto &allowed)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString c = text.mid(i, length);
        if (!allowed(c))
            return c;
        i += length - 1;
    }
    return {};
}

QString CheckGtin(const TSymbologyInfo &info, const TGtinRule &rule, const QString &data)
{
    const QString name = QString::fromLatin1(info.Name);
    const QString bad =
        FirstOutside(data, [](const QString &c) { return c.size() == 1 && c[0] >= u'0' && c[0] <= u'9'; });
    if (!bad.isEmpty())
        return QStringLiteral("%1 takes digits only; \"%2\" has \"%3\"").arg(name, Quoted(data), bad);
    if (data.size() != rule.Digits && data.size() != rule.Digits + 1)
        return QStringLiteral("%1 takes %2 or %3 digits; \"%4\" has %5")
            .arg(name)
            .arg(rule.Digits)
            .arg(rule.Digits + 1)
            .arg(Quoted(data))
            .arg(data.size());
    if (data.size() == rule.Digits + 1) {
        const int expected = GtinCheckDigit(data.left(rule.Digits));
        const int given = data.back().digitValue();
        if (expected != given)
            return QStringLiteral("The check digit of %1 \"%2\" is %3, not %4")
                .arg(name, data)
                .arg(expected)
                .arg(given);
    }
    return {};
}

// The encoder's message without its number: "Error 259: Invalid data length for AI (01)".
QString EncoderMessage(const TSymbologyInfo &info, const char *text)
{
    static const QRegularExpression number(QStringLiteral("^(Error|Warning) \\d+: "));
    QString message = QString::fromUtf8(text).remove(number);
    if (message.isEmpty())
        message = QStringLiteral("the data cannot be encoded");
    return QString::fromLatin1(info.Name) + QStringLiteral(": ") + message;
}

int EncoderSymbology(TSymbology s)
{
    switch (s) {
    case TSymbology::QrCode:
        return BARCODE_QRCODE;
    case TSymbology::Ean13:
    case TSymbology::Ean8:
        return BARCODE_EANX;
    case TSymbology::UpcA:
        return BARCODE_UPCA;
    case TSymbology::Code128:
        return BARCODE_CODE128;
    case TSymbology::Gs1_128:
        return BARCODE_GS1_128;
    case TSymbology::DataMatrix:
    case TSymbology::Gs1DataMatrix:
        return BARCODE_DATAMATRIX;
    case TSymbology::Code39:
        return BARCODE_CODE39;
    }
    return BARCODE_QRCODE;
}

void SetUp(zint_symbol &symbol, const TSymbologyInfo &info, const TCodeSpec &spec)
{
    symbol.symbology = EncoderSymbology(info.Symbology);
    // Vector units of one module; the quiet zones the standards ask for; their nominal heights.
    symbol.scale = 0.5f;
    symbol.output_options = BARCODE_QUIET_ZONES | COMPLIANT_HEIGHT;
    symbol.warn_level = WARN_FAIL_ALL;
    symbol.show_hrt = info.Linear && spec.ShowText ? 1 : 0;
    symbol.input_mode = info.Gs1 ? GS1_MODE | GS1PARENS_MODE : UNICODE_MODE;
    if (info.Symbology == TSymbology::QrCode)
        symbol.option_1 = spec.QrLevel + 1;
    if (info.Symbology == TSymbology::DataMatrix || info.Symbology == TSymbology::Gs1DataMatrix)
        symbol.option_3 = DM_SQUARE;
}

std::shared_ptr<TCodeVector> VectorOf(const zint_symbol &symbol, bool linear)
{
    auto result = std::make_shared<TCodeVector>();
    const zint_vector &v = *symbol.vector;
    result->Width = v.width;
    result->Height = v.height;
    result->BarZoneBottom = linear ? std::min<double>(symbol.height, v.height) : v.height;
    for (const zint_vector_rect *r = v.rectangles; r; r = r->next)
        result->Boxes.push_back({r->x, r->y, r->width, r->height});
    for (const zint_vector_hexagon *h = v.hexagons; h; h = h->next)
        result->Hexagons.push_back({h->x, h->y, h->diameter, h->rotation});
    for (const zint_vector_circle *c = v.circles; c; c = c->next)
        result->Circles.push_back({c->x, c->y, c->diameter, c->width, c->colour != 0});
    for (const zint_vector_string *s = v.strings; s; s = s->next)
        result->Texts.push_back({s->x, s->y, s->fsize, s->halign,
                                 QString::fromUtf8(reinterpret_cast<const char *>(s->text), s->length)});
    return result;
}

// GS1 data as readers report it: the application identifiers and their values without brackets,
// a group separator after each value of a variable length that another follows.
QString Gs1ElementString(const QString &data)
{
    // The identifiers whose values have a length fixed by the standard, by their first two digits.
    static const QStringList fixedLength = {
        QStringLiteral("00"), QStringLiteral("01"), QStringLiteral("02"), QStringLiteral("03"),
        QStringLiteral("04"), QStringLiteral("11"), QStringLiteral("12"), QStringLiteral("13"),
        QStringLiteral("14"), QStringLiteral("15"), QStringLiteral("16"), QStringLiteral("17"),
        QStringLiteral("18"), QStringLiteral("19"), QStringLiteral("20"), QStringLiteral("31"),
        QStringLiteral("32"), QStringLiteral("33"), QStringLiteral("34"), QStringLiteral("35"),
        QStringLiteral("36"), QStringLiteral("41")};
    static const QRegularExpression element(QStringLiteral("\\((\\d+)\\)([^(]*)"));
    QString result;
    bool separate = false;
    for (auto m = element.globalMatch(data); m.hasNext();) {
        const QRegularExpressionMatch e = m.next();
        if (separate)
            result += QChar(0x1D);
        result += e.captured(1) + e.captured(2);
        separate = !fixedLength.contains(e.captured(1).left(2));
    }
    return result;
}

} // namespace

const TSymbologyInfo *SymbologyInfo(uint8_t symbology)
{
    return symbology < SymbologyCount ? &Table[symbology] : nullptr;
}

int GtinCheckDigit(const QString &digits)
{
    // Weights 3 and 1 alternate from the right.
    int sum = 0;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        const int weight = (digits.size() - i) % 2 == 1 ? 3 : 1;
        sum += weight * digits[i].digitValue();
    }
    return (10 - sum % 10) % 10;
}

QString CheckCodeData(const TCodeSpec &spec)
{
    const TSymbologyInfo *info = SymbologyInfo(spec.Symbology);
    if (!info)
        return QStringLiteral("This code is of a kind this program does not know (symbology %1); a newer "
                              "version of the program made it")
            .arg(spec.Symbology);
    const QString name = QString::fromLatin1(info->Name);
    if (info->Symbology == TSymbology::QrCode && spec.QrLevel >= QrLevelCount)
        return QStringLiteral("This QR code's error-correction level (%1) is one this program does not know")
            .arg(spec.QrLevel);
    if (spec.Data.isEmpty())
        return QStringLiteral("%1 has no data to encode").arg(name);
    if (const TGtinRule *rule = GtinRuleOf(spec.Symbology))
        return CheckGtin(*info, *rule, spec.Data);
    if (info->Symbology == TSymbology::Code39) {
        const QString bad =
            FirstOutside(spec.Data, [](const QString &c) { return Code39Characters.contains(c); });
        if (!bad.isEmpty())
            return QStringLiteral(
                       "Code 39 takes digits, capital letters, space and - . $ / + %; \"%1\" has \"%2\"")
                .arg(Quoted(spec.Data), bad);
    }
    if (info->Symbology == TSymbology::Code128) {
        const QString bad =
            FirstOutside(spec.Data, [](const QString &c) { return c.size() == 1 && c[0].unicode() <= 0xFF; });
        if (!bad.isEmpty())
            return QStringLiteral("Code 128 takes Latin-1 characters only; \"%1\" has \"%2\"")
                .arg(Quoted(spec.Data), bad);
    }
    return {};
}

TCodeResult EncodeCode(const TCodeSpec &spec)
{
    TCodeResult result;
    result.Error = CheckCodeData(spec);
    if (!result.Error.isEmpty())
        return result;
    const TSymbologyInfo &info = *SymbologyInfo(spec.Symbology);
    QString data = spec.Data;
    // A retail number goes to the encoder without its check digit, which it adds.
    if (const TGtinRule *rule = GtinRuleOf(spec.Symbology))
        data = data.left(rule->Digits);
    TSymbolPtr symbol(ZBarcode_Create());
    if (!symbol) {
        result.Error = EncoderMessage(info, "out of memory");
        return result;
    }
    SetUp(*symbol, info, spec);
    const QByteArray bytes = data.toUtf8();
    int status = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char *>(bytes.constData()),
                                 int(bytes.size()));
    if (status < ZINT_ERROR)
        status = ZBarcode_Buffer_Vector(symbol.get(), 0);
    if (status >= ZINT_ERROR || !symbol->vector) {
        result.Error = EncoderMessage(info, symbol->errtxt);
        return result;
    }
    result.Vector = VectorOf(*symbol, info.Linear);
    if (GtinRuleOf(spec.Symbology))
        result.ReadsAs = QString::fromUtf8(reinterpret_cast<const char *>(symbol->text));
    else if (info.Gs1)
        result.ReadsAs = Gs1ElementString(spec.Data);
    else
        result.ReadsAs = spec.Data;
    return result;
}

QString CodeTextFont(uint8_t symbology)
{
    const TSymbologyInfo *info = SymbologyInfo(symbology);
    // Retail codes print their digits in OCR-B; the others in a plain sans serif.
    if (info && info->NominalModule > 0)
        return QStringLiteral("OCR B");
    return QStringLiteral("Liberation Sans");
}
