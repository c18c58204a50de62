// The end-to-end tests' view of project files, through the project's own loader:
//   projecttool new <file.wlp>    writes an empty 4 x 3.5 inch label
//   projecttool sample <file.wlp> writes the label with a red 1-inch square at (0.5, 0.5) inch and
//                                 a text box "Chardonnay" at (2, 0.5) inch, 1.5 by 0.5 inch
//   projecttool sheet <file.wlp> <template.wlt>
//                                 writes the sample on that template, which it names relative to
//                                 the program's folder (the folder of the template's folder),
//                                 titled by the file's name
//   projecttool list <file.wlp>   prints one line per object: type code, left, top, right, bottom,
//                                 and a text box's text (its line breaks as "|")
//   projecttool codes <file.wlp> <template.wlt>
//                                 writes a template with one 8 x 7 inch label on a letter page and
//                                 a project on it holding one code of every symbology (and a QR
//                                 code of a 200-character address), each a little over two pixels
//                                 a module at 100 pixels per inch; prints one line per code: the
//                                 ZXingReader format, the zbarimg symbol type ("-" where zbarimg
//                                 reads none), its bounds in inches from the label's top-left
//                                 (left, top, right, bottom) and what it reads as

#include "common/testsupport.h"
#include "document/code.h"
#include "document/drawlist.h"
#include "document/globals.h"
#include "document/labelproject.h"
#include "document/shape.h"
#include "document/text.h"
#include "platform/platform.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>
#include <exception>

namespace {

// The codes of the scanning test, where they lie on the label (inches from its top-left) and how
// large a module is (thousandths of an inch).
struct TTestCode {
    TSymbology Symbology;
    QString Data;
    double Left, Top;
    int32_t Module;
    const char *ZxingFormat;
    const char *ZbarType;
};

std::vector<TTestCode> TestCodes()
{
    const QString address =
        QStringLiteral("https://www.fennbrook.example/e-label/larkspur-pinot-2021?") +
        QStringLiteral("lot=42&vintage=2021&lang=en&ingredients=grapes-sulphites&energy=");
    const QString longAddress = address + QString(200 - address.size(), u'7');
    return {
        {TSymbology::QrCode, QStringLiteral("https://www.fennbrook.example/e-label/larkspur-pinot-2021"), 0.2,
         0.2, 30, "QRCode", "QR-Code"},
        {TSymbology::QrCode, longAddress, 1.7, 0.2, 25, "QRCode", "QR-Code"},
        {TSymbology::DataMatrix, QStringLiteral("LOT-2021-42"), 3.6, 0.2, 40, "DataMatrix", ""},
        {TSymbology::Gs1DataMatrix, QStringLiteral("(01)09501101530003(10)LOT42"), 4.7, 0.2, 40, "DataMatrix",
         ""},
        {TSymbology::Ean13, QStringLiteral("4006381333931"), 0.2, 2.1, 22, "EAN13", "EAN-13"},
        {TSymbology::UpcA, QStringLiteral("036000291452"), 2.9, 2.1, 22, "UPCA", "UPC-A"},
        {TSymbology::Ean8, QStringLiteral("96385074"), 5.6, 2.1, 22, "EAN8", "EAN-8"},
        {TSymbology::Code128, QStringLiteral("LOT-42"), 0.2, 3.95, 22, "Code128", "CODE-128"},
        {TSymbology::Code39, QStringLiteral("LOT-42"), 3.1, 3.95, 21, "Code39", "CODE-39"},
        {TSymbology::Gs1_128, QStringLiteral("(01)09501101530003(10)LOT42"), 0.2, 5.4, 21, "Code128",
         "CODE-128"},
    };
}

// The template and the project of the scanning test; prints what each code reads as.
void WriteCodes(const QString &projectPath, const QString &templatePath)
{
    Tlabelproject label;
    tlabeltemplate &sheet = label.Template();
    // The project takes the template's size.
    SetUpLabel(sheet, 8.0, 7.0);
    AddSpot(sheet, 0.25, 2.0, 8.0, 7.0);
    sheet.Title = QStringLiteral("One 8 x 7 in label");
    sheet.SaveToFile(templatePath);
    SetProgramFolder(QFileInfo(templatePath).absolutePath());
    Tdrawlist &project = label.Project();
    project.Title = QStringLiteral("Every code");
    const TPoint origin{LabelCorner, LabelCorner};
    for (const TTestCode &c : TestCodes()) {
        auto code = std::make_unique<Tvnlcode>();
        code->SetSymbology(uint8_t(c.Symbology));
        code->SetData(c.Data);
        const TCodeResult &r = code->Encoded();
        if (!r.Vector)
            throw std::runtime_error(r.Error.toStdString());
        const int32_t left = origin.X + int32_t(c.Left * 1000), top = origin.Y + int32_t(c.Top * 1000);
        const TRect bounds{left, top, left + int32_t(r.Vector->Width * c.Module),
                           top + int32_t(r.Vector->Height * c.Module)};
        code->SetBounds(bounds);
        const auto inches = [](int32_t units, int32_t from) { return (units - from) / 1000.0; };
        std::printf("%s %s %.3f %.3f %.3f %.3f %s\n", c.ZxingFormat, c.ZbarType[0] ? c.ZbarType : "-",
                    inches(bounds.Left, origin.X), inches(bounds.Top, origin.Y),
                    inches(bounds.Right, origin.X), inches(bounds.Bottom, origin.Y), qPrintable(r.ReadsAs));
        project.AddObject(std::move(code));
    }
    label.Save(projectPath);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    InitPlatform();
    InitDocumentModule();
    const QStringList args = QGuiApplication::arguments();
    const QString command = args.value(1);
    if (command == QLatin1String("codes") && args.size() == 4) {
        try {
            WriteCodes(args[2], args[3]);
            return 0;
        } catch (const std::exception &e) {
            std::fprintf(stderr, "projecttool: %s\n", e.what());
            return 1;
        }
    }
    const bool sheet = command == QLatin1String("sheet");
    // sheet takes the text box's text as a last, optional argument.
    if ((sheet ? args.size() != 4 && args.size() != 5 : args.size() != 3) ||
        (command != QLatin1String("new") && command != QLatin1String("sample") &&
         command != QLatin1String("list") && !sheet)) {
        std::fputs("usage: projecttool new|sample|list <file.wlp> | sheet <file.wlp> <template.wlt> [text]\n",
                   stderr);
        return 2;
    }
    try {
        // A new 4 x 3.5 inch label on an empty template.
        Tlabelproject label;
        Tdrawlist &project = label.Project();
        if (command != QLatin1String("list")) {
            if (sheet) {
                const QFileInfo file(args[3]);
                SetProgramFolder(QFileInfo(file.absolutePath()).absolutePath());
                if (!label.OpenTemplate(file.absoluteFilePath()))
                    return 1;
                project.Title = QFileInfo(args[2]).completeBaseName();
            }
            if (command != QLatin1String("new")) {
                auto square = std::make_unique<Tvnlshape>();
                square->SetShapeStyle(TShapeStyle::Rectangle);
                square->SetDrawFill(true);
                square->Brush.SetColor(0x0000FF);
                square->SetBounds({100500, 100500, 101500, 101500});
                project.AddObject(std::move(square));
                auto text = std::make_unique<Tvnltext>();
                text->SetText(sheet && args.size() == 5 ? args[4] : QStringLiteral("Chardonnay"));
                text->SetBounds({102000, 100500, 103500, 101000});
                project.AddObject(std::move(text));
            }
            label.Save(args[2]);
            return 0;
        }
        if (!label.Open(args[2]))
            return 1;
        for (int32_t i = 0; i < project.Count(); ++i) {
            const Tdrawobj *o = project.GetObject(i);
            const TRect b = o->GetBounds();
            QString text;
            if (const auto *box = dynamic_cast<const Tvnltext *>(o))
                text = QLatin1Char(' ') +
                       QString(box->GetText()).replace(QStringLiteral("\r\n"), QStringLiteral("|"));
            std::printf("%d %d %d %d %d%s\n", o->GetTypeCode(), b.Left, b.Top, b.Right, b.Bottom,
                        qPrintable(text));
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "projecttool: %s\n", e.what());
        return 1;
    }
    return 0;
}
