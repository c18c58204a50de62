#include "platform/filedialog.h"

#include <gmock/gmock.h>

using testing::ElementsAre;

TEST(FileFilter, SplitsDescriptionsAndPatterns)
{
    struct Case {
        const char *Filter;
        std::vector<TFileFilter> Filters;
    };
    const Case cases[] = {
        {"Wine Label Project (*.wlp)|*.wlp", {{"Wine Label Project (*.wlp)", {"*.wlp"}}}},
        {"Pictures|*.jpg;*.jpeg; *.png |All files|*.*",
         {{"Pictures", {"*.jpg", "*.jpeg", "*.png"}}, {"All files", {"*"}}}},
        {"", {}},
        {"No pattern", {}},
        {"Projects|*.wlp|Dangling", {{"Projects", {"*.wlp"}}}},
        {"|*.wlt", {{"*.wlt", {"*.wlt"}}}},
        {"Empty||Templates|*.wlt", {{"Templates", {"*.wlt"}}}},
        {"Odd|;;", {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ParseFileFilter(c.Filter), c.Filters) << c.Filter;
}

TEST(FileFilter, QtFormKeepsTheDescriptionAndListsThePatternsLast)
{
    EXPECT_THAT(QtNameFilters("Wine Label Template (*.wlt)|*.wlt|Pictures|*.bmp;*.*"),
                ElementsAre("Wine Label Template (*.wlt) (*.wlt)", "Pictures (*.bmp *)"));
}

TEST(FileDialogFactory, WithoutDialogsEveryDialogIsCancelledAndKeepsItsName)
{
    SetFileDialogFactory(nullptr);
    for (TFileDialogKind kind : {TFileDialogKind::Open, TFileDialogKind::Save}) {
        std::unique_ptr<Tfiledialog> dialog = CreateFileDialog(kind);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->GetKind(), kind);
        dialog->SetFileName("label.wlp");
        EXPECT_FALSE(dialog->Execute());
        EXPECT_EQ(dialog->GetFileName(), "label.wlp");
        EXPECT_TRUE(dialog->GetFiles().isEmpty());
    }
}

namespace {

// A dialog in which the user always chooses chosen.wlt.
class TScriptedDialog : public Tfiledialog {
public:
    using Tfiledialog::Tfiledialog;

    bool Execute() override
    {
        SetFileName("chosen.wlt");
        SetFiles({"chosen.wlt"});
        return true;
    }
};

} // namespace

TEST(FileDialogFactory, TheInstalledFactoryMakesTheDialogsUntilItIsRemoved)
{
    int made = 0;
    SetFileDialogFactory([&made](TFileDialogKind kind) -> std::unique_ptr<Tfiledialog> {
        ++made;
        return std::make_unique<TScriptedDialog>(kind);
    });
    std::unique_ptr<Tfiledialog> dialog = CreateFileDialog(TFileDialogKind::Save);
    EXPECT_TRUE(dialog->IsSaveDialog());
    EXPECT_TRUE(dialog->Execute());
    EXPECT_EQ(dialog->GetFileName(), "chosen.wlt");
    EXPECT_EQ(made, 1);

    // A factory that gives nothing still leaves the caller a dialog to cancel.
    SetFileDialogFactory([](TFileDialogKind) { return std::unique_ptr<Tfiledialog>(); });
    EXPECT_FALSE(CreateFileDialog(TFileDialogKind::Open)->Execute());

    SetFileDialogFactory(nullptr);
    EXPECT_FALSE(CreateFileDialog(TFileDialogKind::Open)->Execute());
    EXPECT_EQ(made, 1);
}
