// Writes what the desktop needs to know of an installed program:
//     ambrelo-desktopfiles <program folder> <icons folder> <output folder>
// Below the output folder (the installation's share/ folder): the desktop entry
// (applications/), the MIME package (mime/packages/), the thumbnailer entry (thumbnailers/),
// and the program's and the two file types' icons in the hicolor theme, as SVG and as PNG at
// the usual sizes, rendered from the SVGs of the icons folder. The entries start the program
// and the thumbnailer in the program folder by their full paths, so they work whether or not
// that folder is on the PATH.

#include "codecs/png.h"
#include "settings/fileio.h"
#include "settings/filetypes.h"
#include "settings/registry.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

namespace {

constexpr int IconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

struct TIcon {
    QString Source;
    QString Context;
    QString Name;
};

bool Write(const QString &path, const QByteArray &bytes)
{
    if (const int error = WriteWholeFile(path, bytes)) {
        std::fprintf(stderr, "ambrelo-desktopfiles: cannot write %s: %s\n", path.toLocal8Bit().constData(),
                     SystemErrorText(error).toLocal8Bit().constData());
        return false;
    }
    return true;
}

bool WriteIcon(const TIcon &icon, const QString &iconFolder, const QString &output)
{
    QByteArray svg;
    if (const int error = ReadWholeFile(iconFolder + QLatin1Char('/') + icon.Source, svg)) {
        std::fprintf(stderr, "ambrelo-desktopfiles: cannot read %s: %s\n",
                     icon.Source.toLocal8Bit().constData(), SystemErrorText(error).toLocal8Bit().constData());
        return false;
    }
    const QString theme = output + QStringLiteral("/icons/hicolor/");
    bool written = Write(theme + QStringLiteral("scalable/") + icon.Context + QLatin1Char('/') + icon.Name +
                             QStringLiteral(".svg"),
                         svg);
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "ambrelo-desktopfiles: %s is not a drawing\n",
                     icon.Source.toLocal8Bit().constData());
        return false;
    }
    for (const int size : IconSizes) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            renderer.render(&painter);
        }
        written &= Write(theme + QStringLiteral("%1x%1/").arg(size) + icon.Context + QLatin1Char('/') +
                             icon.Name + QStringLiteral(".png"),
                         EncodePng(image, true));
    }
    return written;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 4) {
        std::fputs("usage: ambrelo-desktopfiles <program folder> <icons folder> <output folder>\n", stderr);
        return 2;
    }
    const QString programFolder = QString::fromLocal8Bit(argv[1]);
    const QString iconFolder = QString::fromLocal8Bit(argv[2]);
    const QString output = QString::fromLocal8Bit(argv[3]);

    bool written = Write(output + QStringLiteral("/applications/") + QLatin1String(DesktopEntryFileName),
                         DesktopEntry(programFolder + QStringLiteral("/ambrelo")));
    written &=
        Write(output + QStringLiteral("/mime/packages/") + QLatin1String(MimePackageFileName), MimePackage());
    written &=
        Write(output + QStringLiteral("/thumbnailers/") + QLatin1String(ThumbnailerFileName),
              ThumbnailerEntry(programFolder + QLatin1Char('/') + QLatin1String(ThumbnailerProgramName)));
    std::vector<TIcon> icons{
        {QStringLiteral("ambrelo.svg"), QStringLiteral("apps"), QLatin1String(ProgramIconName)}};
    for (const TFileType &type : FileTypes)
        icons.push_back({QLatin1String(type.Identifier) + QStringLiteral(".svg"), QStringLiteral("mimetypes"),
                         MimeIconName(type)});
    for (const TIcon &icon : icons)
        written &= WriteIcon(icon, iconFolder, output);
    return written ? 0 : 1;
}
