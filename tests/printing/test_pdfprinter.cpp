// The PDF printer: its page, and the file it leaves (or does not leave) in place of the final
// name.

#include "printingtestsupport.h"

#include "platform/canvas.h"
#include "printing/pdfprinter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gmock/gmock.h>
#include <sys/stat.h>

TEST(PdfPrinter, IsALetterPageAt600DpiPrintableToItsEdges)
{
    QTemporaryDir folder;
    Tpdfprinter printer(folder.filePath(QStringLiteral("sheets.pdf")));
    struct Case {
        TDeviceCap Cap;
        int32_t Portrait, Landscape;
    };
    const Case cases[] = {
        {TDeviceCap::PhysicalOffsetX, 0, 0},     {TDeviceCap::PhysicalOffsetY, 0, 0},
        {TDeviceCap::LogPixelsX, 600, 600},      {TDeviceCap::LogPixelsY, 600, 600},
        {TDeviceCap::PhysicalWidth, 5100, 6600}, {TDeviceCap::PhysicalHeight, 6600, 5100},
        {TDeviceCap::HorzRes, 5100, 6600},       {TDeviceCap::VertRes, 6600, 5100},
    };
    for (const uint8_t orientation : {0, 1}) {
        printer.SetOrientation(orientation);
        EXPECT_EQ(printer.GetOrientation(), orientation);
        for (const Case &c : cases)
            EXPECT_EQ(printer.GetDeviceCaps(c.Cap), orientation ? c.Landscape : c.Portrait) << int(c.Cap);
    }
    EXPECT_TRUE(printer.Available());
    EXPECT_FALSE(printer.Printing());
}

TEST(PdfPrinter, OnlyACommittedJobReplacesTheEarlierFileAndKeepsItsPermissions)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("sheets.pdf"));
    {
        QFile earlier(path);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly) && earlier.write("the PDF of yesterday") > 0);
        earlier.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    }
    const auto contents = [&path] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const auto print = [](Tpdfprinter &printer) {
        printer.BeginDoc();
        printer.Canvas().Brush().SetColor(clBlack);
        printer.Canvas().FillRect({600, 600, 1200, 1200});
        printer.NewPage();
    };
    {
        Tpdfprinter abandoned(path);
        print(abandoned);
    }
    {
        Tpdfprinter empty(path);
        EXPECT_THROW(
            {
                try {
                    empty.Commit();
                } catch (const EOSError &e) {
                    EXPECT_EQ(e.Message(),
                              QStringLiteral("Could not write \"%1\": nothing was printed.").arg(path));
                    throw;
                }
            },
            EOSError);
    }
    EXPECT_EQ(contents(), "the PDF of yesterday");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("sheets.pdf")});

    Tpdfprinter printer(path);
    printer.SetTitle(QStringLiteral("Merlot"));
    print(printer);
    printer.Commit();
    EXPECT_TRUE(contents().startsWith("%PDF"));
    EXPECT_EQ(PdfInfo(path, QStringLiteral("Pages")), "2");
    EXPECT_EQ(PdfInfo(path, QStringLiteral("Title")), "Merlot");
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("sheets.pdf")});
}
