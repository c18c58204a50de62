#include "platform/filedialog.h"

namespace {

// What the lower layers get while no dialogs are installed: a dialog the user cancels.
class Tcancelledfiledialog : public Tfiledialog {
public:
    using Tfiledialog::Tfiledialog;

    // Tfiledialog
    bool Execute() override { return false; }
};

TFileDialogFactory &Factory()
{
    static TFileDialogFactory factory;
    return factory;
}

QStringList SplitPatterns(const QString &patterns)
{
    QStringList result;
    for (const QString &part : patterns.split(QLatin1Char(';'))) {
        const QString pattern = part.trimmed();
        if (pattern.isEmpty())
            continue;
        result << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
    }
    return result;
}

} // namespace

std::vector<TFileFilter> ParseFileFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    std::vector<TFileFilter> result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        TFileFilter f{parts[i].trimmed(), SplitPatterns(parts[i + 1])};
        if (f.Patterns.isEmpty())
            continue;
        if (f.Description.isEmpty())
            f.Description = f.Patterns.join(QLatin1Char(';'));
        result.push_back(std::move(f));
    }
    return result;
}

QStringList QtNameFilters(const QString &filter)
{
    QStringList result;
    for (const TFileFilter &f : ParseFileFilter(filter))
        result << f.Description + QStringLiteral(" (") + f.Patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    return result;
}

void SetFileDialogFactory(TFileDialogFactory factory)
{
    Factory() = std::move(factory);
}

std::unique_ptr<Tfiledialog> CreateFileDialog(TFileDialogKind kind)
{
    if (Factory())
        if (std::unique_ptr<Tfiledialog> dialog = Factory()(kind))
            return dialog;
    return std::make_unique<Tcancelledfiledialog>(kind);
}
