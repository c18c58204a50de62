#pragma once
// The command line of the PDF export: sheets of a label project written to a PDF file without
// a window, for print shops and scripts.
//   ambrelo --export-pdf OUT.pdf [--sheets N] [--nudge X,Y] [--scale X,Y] [--spots 1,3,5]
//           [--high-quality] [--strict] [--data TABLE.csv | --numbered FROM,COUNT[,STEP]]
//           [--first-spot K] [--copies C] LABEL.wlp [TEMPLATE.wlt]

#include "document/printsettings.h"

#include <QString>
#include <QStringList>
#include <cstdint>

// The switch that starts the export when it is the first argument.
inline constexpr char ExportPdfSwitch[] = "--export-pdf";
// The most sheets one export writes.
constexpr int32_t MaxExportSheets = 10000;

struct TPdfExportOptions {
    QString Output;
    QString Project;
    // Empty: the template the project names, found as opening the project finds it.
    QString Template;
    // The sheets (Copies), the nudge, the scale correction, the quality and the spots as given:
    // counted from 0 in the order of the command line, checked against the template once it is
    // loaded; none for every spot. The run of numbered labels or of a table's records, which
    // decides the number of sheets.
    TPrintSettings Settings;
    // Any warning fails the export and nothing is written.
    bool Strict = false;
    bool Help = false;
};

// Reads the arguments after the program's name, starting with ExportPdfSwitch. False, with a
// one-line reason in error, for anything it cannot take.
bool ParsePdfExportArgs(const QStringList &args, TPdfExportOptions &options, QString &error);

// The export's part of --help.
QString PdfExportUsage();
