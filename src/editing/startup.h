#pragma once
// The program's start-up rules that need no window: the command-line grammar, the version text
// made from the build's four-part file version, the title bar, the start-up dialog's caption for
// the last saved label, and the help topics.

#include <QString>
#include <QStringList>

// The switches and file names of a command line.
struct TCommandLine {
    bool SetRegVersion = false;     // "--setregversion"
    bool RegisterFileTypes = false; // "--registerfiletypes"
    bool Quit = false;              // "--quit"
    bool TemplateMode = false;      // "-edittemplate trelko" as the first two arguments
    // The file arguments in order, as typed; any of them suppresses the start-up dialog.
    QStringList Files;
};

// Reads the arguments after the program's name. Every comparison is exact (case matters); an
// argument that is empty or begins with "-" is not a file, and neither is the access code after
// "-edittemplate".
TCommandLine ParseCommandLine(const QStringList &arguments);

// The extension of a file name: its final dot and what follows, after the last folder
// separator; empty when there is none.
QString ExtractFileExt(const QString &fileName);
// The file name without its folder and extension.
QString BareFileName(const QString &fileName);

// What a file argument is opened as, by its extension compared exactly.
enum class TFileArgumentKind { Project, Template, Ignored };
TFileArgumentKind FileArgumentKind(const QString &fileName);

// The version text of a file version such as "1.2.3.4": "1.2"; a major version 0 adds " BETA";
// a minor version 999 stands for a release candidate of the next major version ("2.0 RC3").
// An empty file version (a build without one) gives "Unknown version".
QString VersionString(const QString &fileVersion);
// The version text as "--setregversion" stores it: without blanks.
QString CompactVersionString(const QString &version);

// "Ambrelo Wine Label Software-  1.2", and with a file " - " and its bare name.
QString WindowCaption(const QString &version);
QString DocumentCaption(const QString &version, const QString &fileName);
// The application's title.
extern const char *const ApplicationTitle;
// The name of a new document, which the title and "lastopenedfile" show.
extern const char *const NewFileName;

// The caption of the start-up dialog's third button: Open Last Saved Label: "name".
QString RecentLabelCaption(const QString &recentLabelName);

// The help: the page a topic opens ("introduction.rtf" opens the introduction), the page of the
// contents ("all" or no topic), and the folder of the pages among the data the program reads beside itself.
QString HelpPageForTopic(const QString &topic);
QString HelpFolder(const QString &dataFolder);
// The help's contents: the links of the contents page in their order.
struct THelpEntry {
    QString Page;
    QString Title;
    friend bool operator==(const THelpEntry &, const THelpEntry &) = default;
};
QList<THelpEntry> HelpContents(const QString &contentsHtml);
// What a missing help folder shows, in the message dialog with the error icon.
extern const char *const HelpMissingTitle;
QString HelpMissingMessage();
