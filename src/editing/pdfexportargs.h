#pragma once
// The command line of the PDF export: sheets of a label project written to a PDF file without
// a window, for print shops and scripts.
//   ambrelo --export-pdf OUT.pdf [--sheets N] [--nudge X,Y] [--spots 1,3,5] [--high-quality]
//           [--data TABLE.csv | --numbered FROM,COUNT[,STEP]] [--first-spot K] [--copies C]
//           LABEL.wlp [TEMPLATE.wlt]

#include "document/datarun.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

// The switch that starts the export when it is the first argument.
inline constexpr char ExportPdfSwitch[] = "--export-pdf";
// The most sheets one export writes, and the most copies of each record of a run.
constexpr int32_t MaxExportSheets = 10000;
constexpr int32_t MaxRecordCopies = 1000;

struct TPdfExportOptions {
    QString Output;
    QString Project;
    // Empty: the template the project names, found as opening the project finds it.
    QString Template;
    int32_t Sheets = 1;
    int32_t NudgeX = 0;
    int32_t NudgeY = 0;
    // Spot numbers counted from 1; empty for every spot.
    std::vector<int32_t> Spots;
    bool HighQuality = false;
    // A run of numbered labels or of a table's records; it decides the number of sheets.
    TDataRun Run;
    bool Help = false;
};

// Reads the arguments after the program's name, starting with ExportPdfSwitch. False, with a
// one-line reason in error, for anything it cannot take.
bool ParsePdfExportArgs(const QStringList &args, TPdfExportOptions &options, QString &error);

// The export's part of --help.
QString PdfExportUsage();
