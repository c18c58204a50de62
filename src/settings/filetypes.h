#pragma once
// Registration of the two document types with the desktop, so that opening a project or a template
// in a file manager starts the program with it: a shared MIME-info package, the icons in the
// hicolor theme, a desktop entry, the thumbnailer that shows the label in place of the icon, and
// then the desktop's databases and default applications.

#include <QByteArray>
#include <QString>
#include <array>

// A document type as the desktop learns it.
struct TFileType {
    const char *Extension;
    const char *Identifier;
    const char *Description;
    // The caption of the command that opens it; "&" marks the accelerator.
    const char *Verb;
};

inline constexpr std::array<TFileType, 2> FileTypes{{
    {".wlp", "vnlabelproject", "Project file for Ambrelo by Fennbrook", "&Open"},
    {".wlt", "vnlabeltemplate", "Template file for Ambrelo by Fennbrook", "&New"},
}};

// "application/x-vnlabelproject".
QString MimeTypeName(const TFileType &type);
// "application-x-vnlabelproject", the icon's name in the theme.
QString MimeIconName(const TFileType &type);

inline constexpr char DesktopEntryFileName[] = "fennbrook-ambrelo.desktop";
inline constexpr char MimePackageFileName[] = "fennbrook-ambrelo.xml";
inline constexpr char ProgramIconName[] = "fennbrook-ambrelo";
inline constexpr char ThumbnailerFileName[] = "fennbrook-ambrelo.thumbnailer";
// The thumbnailer program, beside the program.
inline constexpr char ThumbnailerProgramName[] = "ambrelo-thumbnailer";

// What the registration starts and where it reads and writes.
struct TRegistrationPaths {
    // The program that opens the files, as the desktop will start it.
    QString ProgramPath;
    // The folder with ambrelo.svg and one <identifier>.svg per file type.
    QString IconFolder;
    // The user's data folder (XDG_DATA_HOME); mime/, applications/, icons/ and thumbnailers/
    // are below it.
    QString DataHome;
    // The thumbnailer program file managers run.
    QString ThumbnailerPath;
};

// This program, the icons of its data folder, this user's data folder and the thumbnailer
// beside the program.
TRegistrationPaths DefaultRegistrationPaths();

// Writes the six files, each replaced whole, then runs update-mime-database,
// update-desktop-database and "xdg-mime default". A file that cannot be written shows the
// "Could not open registry key " message naming it, and the other steps still run; a tool that
// is missing or fails is reported on standard error. Running it again gives the same files.
void RegisterFileTypes();
void RegisterFileTypes(const TRegistrationPaths &paths);

// The shared MIME-info package declaring both types.
QByteArray MimePackage();
// The desktop entry that starts programPath with the file as its first argument.
QByteArray DesktopEntry(const QString &programPath);
// The thumbnailer entry: thumbnailerPath called with the size, the file and the output for both
// types.
QByteArray ThumbnailerEntry(const QString &thumbnailerPath);
// A string value of a desktop or thumbnailer entry, with backslashes, line breaks and tabs escaped.
QString KeyFileString(const QString &text);
// One argument of an Exec line: quoted, with the escapes the freedesktop.org desktop entry format
// asks of quoted arguments, field codes and string values.
QString DesktopExecArgument(const QString &argument);
