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

#include "common/testsupport.h"
#include "document/drawlist.h"
#include "document/globals.h"
#include "document/labeltemplate.h"
#include "document/shape.h"
#include "document/text.h"
#include "platform/platform.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>
#include <exception>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    InitPlatform();
    InitDocumentModule();
    const QStringList args = QGuiApplication::arguments();
    const QString command = args.value(1);
    const bool sheet = command == QLatin1String("sheet");
    if (args.size() != (sheet ? 4 : 3) ||
        (command != QLatin1String("new") && command != QLatin1String("sample") &&
         command != QLatin1String("list") && !sheet)) {
        std::fputs("usage: projecttool new|sample|list <file.wlp> | sheet <file.wlp> <template.wlt>\n",
                   stderr);
        return 2;
    }
    try {
        tlabeltemplate stock; // outlives the project that refers to it
        Tdrawlist project;
        if (command != QLatin1String("list")) {
            SetUpLabel(project);
            if (sheet) {
                const QFileInfo file(args[3]);
                SetProgramFolder(QFileInfo(file.absolutePath()).absolutePath());
                if (!stock.LoadFromFile(file.absoluteFilePath()))
                    return 1;
                project.SetTemplate(&stock);
                project.Title = QFileInfo(args[2]).completeBaseName();
            }
            if (command != QLatin1String("new")) {
                auto square = std::make_unique<Tvnlshape>();
                square->SetShapeStyle(ssRectangle);
                square->SetDrawFill(true);
                square->Brush.SetColor(0x0000FF);
                square->SetBounds({100500, 100500, 101500, 101500});
                project.AddObject(std::move(square));
                auto text = std::make_unique<Tvnltext>();
                text->SetText(QStringLiteral("Chardonnay"));
                text->SetBounds({102000, 100500, 103500, 101000});
                project.AddObject(std::move(text));
            }
            project.SaveToFile(args[2]);
            return 0;
        }
        if (!project.LoadFromFile(args[2]))
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
