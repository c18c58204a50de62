// Copy and paste through the clipboard: the format order, where pastes land, and objects
// travelling as the desktop's text and images.

#include "common/testsupport.h"
#include "document/drawlist.h"
#include "document/globals.h"
#include "document/picture.h"
#include "document/shape.h"
#include "document/text.h"
#include "platform/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <gmock/gmock.h>

namespace {
Tdrawlist &Document(Tdrawlist &doc)
{
    SetUpLabel(doc);
    return doc;
}
} // namespace

TEST(Clipboard, TextComesFirstWhenTextAndAnImageAreOffered)
{
    auto data = std::make_unique<QMimeData>();
    data->setText(QStringLiteral("Sauvignon Blanc"));
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    data->setImageData(image);
    QGuiApplication::clipboard()->setMimeData(data.release());

    Tdrawlist doc;
    Document(doc);
    QString kind;
    doc.Paste({100500, 100500}, true, kind);
    EXPECT_EQ(kind, QStringLiteral("Text"));
    EXPECT_EQ(doc.Count(), 0);
    doc.Paste({100500, 100500}, false, kind);
    ASSERT_EQ(doc.Count(), 1);
    auto *text = dynamic_cast<Tvnltext *>(doc.GetObject(0));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetText(), QStringLiteral("Sauvignon Blanc"));
    EXPECT_EQ(text->Bounds, (TRect{100500, 100500, 102500, 101000}));
    EXPECT_EQ(doc.GetSelectedObject(), text);
}

TEST(Clipboard, APastedShapeStepsAwayFromEqualBounds)
{
    Tdrawlist doc;
    Document(doc);
    auto shape = std::make_unique<Tvnlshape>();
    Tvnlshape *original = shape.get();
    shape->Bounds = {101000, 101000, 101500, 101800};
    shape->SetShapeStyle(TShapeStyle::Polygon);
    shape->SetSideCount(5);
    doc.AddObject(std::move(shape));
    doc.SelectObject(original);
    EXPECT_TRUE(doc.CopySelected(false));

    QString kind;
    doc.Paste({100000, 100000}, false, kind);
    EXPECT_EQ(kind, QStringLiteral("Shape"));
    doc.Paste({100000, 100000}, false, kind);
    ASSERT_EQ(doc.Count(), 3);
    EXPECT_EQ(doc.GetObject(1)->Bounds, (TRect{101100, 101100, 101600, 101900}));
    EXPECT_EQ(doc.GetObject(2)->Bounds, (TRect{101200, 101200, 101700, 102000}));
    EXPECT_EQ(dynamic_cast<Tvnlshape *>(doc.GetObject(2))->GetSideCount(), 5);
}

TEST(Clipboard, CopyingAsksForExactlyOneSelected)
{
    Tdrawlist doc;
    Document(doc);
    for (const QString &s : {QStringLiteral("Chenin"), QStringLiteral("Viognier")}) {
        auto t = std::make_unique<Tvnltext>();
        t->SetText(s);
        doc.AddObject(std::move(t));
    }
    doc.SelectObject(doc.GetObject(1));
    doc.GetObject(0)->SetSelected(true);
    EXPECT_FALSE(doc.CopySelected(true));
    TheClipboard().SetText(QString());
    EXPECT_FALSE(doc.CopySelected(false));
    // The primary selection is still copied, as the desktop's plain text.
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Viognier"));
}

TEST(Clipboard, PicturesPasteAtTheirNaturalSize)
{
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QGuiApplication::clipboard()->setImage(image);
    Tdrawlist doc;
    Document(doc);
    QString kind;
    doc.Paste({100000, 100000}, false, kind);
    EXPECT_EQ(kind, QStringLiteral("Image"));
    auto *picture = dynamic_cast<Tvnlpic *>(doc.GetObject(0));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Bounds, (TRect{100000, 100000, 100300, 100200}));
    EXPECT_EQ(picture->GetPicture().pixel(3, 3), qRgb(0, 0, 255));
    // And a picture copied here is an image for other programs.
    doc.SelectObject(picture);
    QGuiApplication::clipboard()->clear();
    doc.CopySelected(false);
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(30, 20));
}

TEST(Clipboard, NothingUsableMeansNoKind)
{
    QGuiApplication::clipboard()->clear();
    Tdrawlist doc;
    QString kind = QStringLiteral("stale");
    doc.Paste({0, 0}, false, kind);
    EXPECT_TRUE(kind.isEmpty());
    EXPECT_EQ(doc.Count(), 0);
}

TEST(Clipboard, PasteUndoesInOneStep)
{
    TheClipboard().SetText(QStringLiteral("Grenache"));
    Tdrawlist doc;
    Document(doc);
    QString kind;
    doc.BeginUndoGroup();
    doc.Paste({100000, 100000}, false, kind);
    doc.EndUndoGroup();
    ASSERT_EQ(doc.Count(), 1);
    doc.Undo();
    EXPECT_EQ(doc.Count(), 0);
    doc.Redo();
    ASSERT_EQ(doc.Count(), 1);
    EXPECT_EQ(dynamic_cast<Tvnltext *>(doc.GetObject(0))->GetText(), QStringLiteral("Grenache"));
}
