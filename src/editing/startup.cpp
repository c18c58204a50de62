#include "editing/startup.h"

#include <QRegularExpression>

const char *const ApplicationTitle = "Ambrelo - Wine Label Software from Fennbrook Cellars";
const char *const NewFileName = "NEW FILE";
const char *const HelpMissingTitle = "ERROR: help file not found";

namespace {
const QString SetRegVersionSwitch = QStringLiteral("--setregversion");
const QString RegisterFileTypesSwitch = QStringLiteral("--registerfiletypes");
const QString QuitSwitch = QStringLiteral("--quit");
const QString EditTemplateSwitch = QStringLiteral("-edittemplate");
const QString TemplateAccessCode = QStringLiteral("trelko");
const QString CaptionPrefix = QStringLiteral("Ambrelo Wine Label Software-  ");
const QString ContentsPage = QStringLiteral("index.html");

int LastSeparator(const QString &fileName)
{
    return std::max(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char('\\')));
}
} // namespace

TCommandLine ParseCommandLine(const QStringList &arguments)
{
    TCommandLine result;
    result.TemplateMode =
        arguments.size() >= 2 && arguments[0] == EditTemplateSwitch && arguments[1] == TemplateAccessCode;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        result.SetRegVersion |= a == SetRegVersionSwitch;
        result.RegisterFileTypes |= a == RegisterFileTypesSwitch;
        result.Quit |= a == QuitSwitch;
        const bool accessCode = i > 0 && arguments[i - 1] == EditTemplateSwitch;
        if (!a.isEmpty() && !a.startsWith(QLatin1Char('-')) && !accessCode)
            result.Files.append(a);
    }
    return result;
}

QString ExtractFileExt(const QString &fileName)
{
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot > LastSeparator(fileName) ? fileName.mid(dot) : QString();
}

QString BareFileName(const QString &fileName)
{
    const QString name = fileName.mid(LastSeparator(fileName) + 1);
    return name.left(name.size() - ExtractFileExt(name).size());
}

TFileArgumentKind FileArgumentKind(const QString &fileName)
{
    const QString ext = ExtractFileExt(fileName);
    if (ext == QLatin1String(".wlp"))
        return TFileArgumentKind::Project;
    if (ext == QLatin1String(".wlt"))
        return TFileArgumentKind::Template;
    return TFileArgumentKind::Ignored;
}

QString VersionString(const QString &fileVersion)
{
    if (fileVersion.isEmpty())
        return QStringLiteral("Unknown version");
    const QStringList parts = fileVersion.split(QLatin1Char('.'));
    QString text = fileVersion;
    if (parts.size() >= 2)
        text = parts[0] + QLatin1Char('.') + parts[1];
    if (parts[0] == QLatin1String("0"))
        text += QStringLiteral(" BETA");
    if (parts.size() >= 2 && parts[1] == QLatin1String("999")) {
        bool ok = false;
        const qlonglong major = parts[0].toLongLong(&ok);
        const QString next = ok ? QString::number(major + 1) : parts[0];
        text = next + QStringLiteral(".0 RC") + (parts.size() >= 3 ? parts[2] : QString());
    }
    return text;
}

QString CompactVersionString(const QString &version)
{
    QString s = version;
    return s.remove(QLatin1Char(' '));
}

QString WindowCaption(const QString &version)
{
    return CaptionPrefix + version;
}

QString DocumentCaption(const QString &version, const QString &fileName)
{
    return WindowCaption(version) + QStringLiteral(" - ") + BareFileName(fileName);
}

QString RecentLabelCaption(const QString &recentLabelName)
{
    return QStringLiteral("Open Last Saved Label: \"") + recentLabelName + QLatin1Char('"');
}

QString HelpPageForTopic(const QString &topic)
{
    if (topic.isEmpty() || topic == QLatin1String("all"))
        return ContentsPage;
    // Topics name the pages of the old help by their document names; each has a page here.
    QString page = topic.mid(LastSeparator(topic) + 1);
    page = page.left(page.size() - ExtractFileExt(page).size());
    if (page.isEmpty())
        return ContentsPage;
    return page.toLower() + QStringLiteral(".html");
}

QString HelpFolder(const QString &dataFolder)
{
    return dataFolder + QStringLiteral("/help");
}

QList<THelpEntry> HelpContents(const QString &contentsHtml)
{
    // Every link of the contents page to one of the help's own pages, once, in the page's order.
    static const QRegularExpression link(
        QStringLiteral("<a\\s+href=\"([A-Za-z0-9_-]+\\.html)\"[^>]*>(.*?)</a>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    QList<THelpEntry> entries;
    for (auto it = link.globalMatch(contentsHtml); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString page = m.captured(1);
        if (page == ContentsPage ||
            std::any_of(entries.begin(), entries.end(), [&](const THelpEntry &e) { return e.Page == page; }))
            continue;
        QString title = m.captured(2);
        title.remove(tags);
        title.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        entries.append({page, title.simplified()});
    }
    return entries;
}

QString HelpMissingMessage()
{
    return QStringLiteral(
        "Please download and install the help update from the Fennbrook Cellars help page at "
        "https://www.fennbrook.example/labels/help/");
}
