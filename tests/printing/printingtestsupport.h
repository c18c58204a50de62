#pragma once
// What the printing module's tests share: the test sheet written as files the program opens,
// running programs (ours, poppler's, CUPS's) with a bounded wait, and PDF pages as images.

#include <QImage>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>

class Tlabelgeometrylist;

// The program under test.
QString ProgramPath();

struct TSheetFiles {
    QString Template;
    QString Project;
};
// The test sheet (three 2 x 1 inch spots, the test label) as sheet.wlt and label.wlp in folder;
// the project names its template as the program finds it from its own folder. adjust, when
// given, changes the spots before they are saved.
TSheetFiles WriteSheetFiles(const QString &folder, uint8_t orientation = 0,
                            const std::function<void(Tlabelgeometrylist &)> &adjust = {});

struct TRun {
    int Code = -1;
    QString Out;
    QString Err;
    // The program could not be started or did not end in time.
    bool Failed = true;
};
// Runs program with args in folder, for at most timeoutMs; the environment is the test's
// unless one is given.
TRun RunProgram(const QString &program, const QStringList &args, const QString &folder = QString(),
                int timeoutMs = 120000, const QProcessEnvironment &environment = QProcessEnvironment());

// pdfinfo's value for a key ("Pages", "Page size"), empty when there is none.
QString PdfInfo(const QString &pdf, const QString &key);
// One page rendered grey by pdftoppm at dpi; a null image when that failed.
QImage RenderPage(const QString &pdf, int page, int dpi);
