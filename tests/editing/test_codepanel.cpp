// The tool window's code panel: what it shows of a code, what it says of the data, and how each
// control reaches the selected codes as one undo step.

#include "common/testsupport.h"
#include "document/code.h"
#include "document/shape.h"
#include "editing/toolbox.h"
#include "test_toolboxsupport.h"

#include <gmock/gmock.h>

namespace {

struct TCodePanelTest : testing::Test {
    TMemorySettings Settings;
    TLabelDocument Label;
    Ttoolbox Toolbox{Settings.Store};
    Tcodepanel &Panel = Toolbox.GetCodePanel();
    int Shown = 0;

    TCodePanelTest()
    {
        Toolbox.SetDocument(&Label.Doc);
        Toolbox.OnViewChange = [this](uint32_t areas) { Shown += (areas & taCode) ? 1 : 0; };
    }

    Tvnlcode &AddCode(TSymbology symbology, const QString &data)
    {
        Tvnlcode &code = Label.Add<Tvnlcode>({100100, 100100, 101100, 101100});
        code.SetSymbology(uint8_t(symbology));
        code.SetData(data);
        Label.Doc.CloseUndoGroup();
        Label.Doc.SelectObject(&code);
        return code;
    }
};

} // namespace

TEST_F(TCodePanelTest, ACodeSelectedShowsItsPanelSettingsAndMessage)
{
    Tvnlcode &code = AddCode(TSymbology::Ean13, QStringLiteral("12345"));
    code.SetShowText(false);
    Toolbox.ShowSelection(&code);
    EXPECT_EQ(Toolbox.GetPanel(), tpCode);
    EXPECT_EQ(Panel.GetSymbology(), uint8_t(TSymbology::Ean13));
    EXPECT_EQ(Panel.GetData(), QStringLiteral("12345"));
    EXPECT_FALSE(Panel.GetShowText());
    EXPECT_EQ(Panel.GetMessage(), QStringLiteral("EAN-13 takes 12 or 13 digits; \"12345\" has 5"));
    EXPECT_TRUE(Panel.IsShowTextVisible());
    EXPECT_FALSE(Panel.IsQrLevelVisible());
    EXPECT_GT(Shown, 0);
    // The New Code tool shows the panel too.
    Toolbox.SelectTool(TTool::Code);
    EXPECT_EQ(Toolbox.GetPanel(), tpCode);
    EXPECT_EQ(Tcodepanel::SymbologyNames(),
              (QStringList{"QR Code", "EAN-13", "UPC-A", "EAN-8", "Code 128", "GS1-128", "DataMatrix",
                           "GS1 DataMatrix", "Code 39"}));
}

TEST_F(TCodePanelTest, DataWithFieldsWarnsInsteadOfRefusing)
{
    Tvnlcode &code = AddCode(TSymbology::Ean13, QStringLiteral("400638133393${check}"));
    Toolbox.ShowSelection(&code);
    EXPECT_TRUE(Panel.GetMessage().isEmpty());
    EXPECT_EQ(Panel.GetWarning(), CodeFieldsNote);
    Panel.CheckTyped(QStringLiteral("12345"));
    EXPECT_EQ(Panel.GetMessage(), QStringLiteral("EAN-13 takes 12 or 13 digits; \"12345\" has 5"));
    Panel.CheckTyped(QStringLiteral("$${check}"));
    EXPECT_FALSE(Panel.GetMessage().isEmpty()); // $$ is no field
}

TEST_F(TCodePanelTest, EachControlIsOneUndoStepOnEverySelectedCode)
{
    Tvnlcode &a = AddCode(TSymbology::QrCode, QStringLiteral("first"));
    Tvnlcode &b = AddCode(TSymbology::QrCode, QStringLiteral("second"));
    a.SetSelected(true);
    Toolbox.ShowSelection(&b);
    const QByteArray beforeA = RecordOf(a), beforeB = RecordOf(b);
    // Typing is judged but changes nothing until it is given.
    Panel.CheckTyped(QString());
    EXPECT_EQ(Panel.GetMessage(), QStringLiteral("QR Code has no data to encode"));
    EXPECT_EQ(RecordOf(b), beforeB);
    Panel.SetData(QStringLiteral("Larkspur"));
    EXPECT_TRUE(Panel.GetMessage().isEmpty());
    EXPECT_EQ(a.GetSpec().Data, QStringLiteral("Larkspur"));
    EXPECT_EQ(b.GetSpec().Data, QStringLiteral("Larkspur"));
    Panel.SetQrLevel(uint8_t(TQrLevel::H));
    Panel.SetColor(RGB(90, 10, 30));
    EXPECT_EQ(b.GetSpec().QrLevel, uint8_t(TQrLevel::H));
    EXPECT_EQ(a.GetColor(), RGB(90, 10, 30));
    Label.Doc.Undo();
    Label.Doc.Undo();
    EXPECT_EQ(a.GetSpec().QrLevel, uint8_t(TQrLevel::M));
    Label.Doc.Undo();
    EXPECT_EQ(RecordOf(a), beforeA);
    EXPECT_EQ(RecordOf(b), beforeB);
}

TEST_F(TCodePanelTest, ASymbologyChangeBringsProportionsAndReplacesOnlyAnExample)
{
    Tvnlcode &code = AddCode(TSymbology::QrCode, QString::fromLatin1(SymbologyInfo(0)->Example));
    Toolbox.ShowSelection(&code);
    Panel.SetSymbology(uint8_t(TSymbology::Ean13));
    EXPECT_EQ(code.GetSpec().Data, QStringLiteral("4006381333931"));
    EXPECT_EQ(Panel.GetData(), QStringLiteral("4006381333931"));
    // The width stays; the height follows the symbology's proportions.
    EXPECT_EQ(code.Width(), 1000);
    EXPECT_EQ(code.Height(), 1000 * 77442 / 113000);
    EXPECT_TRUE(Panel.GetMessage().isEmpty());
    // What the user typed stays, and is judged.
    Panel.SetData(QStringLiteral("LOT 42"));
    Panel.SetSymbology(uint8_t(TSymbology::Ean8));
    EXPECT_EQ(code.GetSpec().Data, QStringLiteral("LOT 42"));
    EXPECT_EQ(Panel.GetMessage(), QStringLiteral("EAN-8 takes digits only; \"LOT 42\" has \"L\""));
    // One step for it all.
    Label.Doc.Undo();
    EXPECT_EQ(code.GetSpec().Symbology, uint8_t(TSymbology::Ean13));
    // Too small a retail code is a warning, not an error.
    Panel.SetSymbology(uint8_t(TSymbology::Ean13));
    Panel.SetData(QStringLiteral("4006381333931"));
    code.SetWidth(113 * 13 / 2);
    Panel.Refresh();
    EXPECT_TRUE(Panel.GetMessage().isEmpty());
    EXPECT_EQ(Panel.GetWarning(),
              QStringLiteral("EAN-13 at 50 % of its nominal size: shop scanners need at least 80 %"));
}
