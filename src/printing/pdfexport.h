#pragma once
// Sheets of a label project written to a PDF file from the command line, through the same
// print job as the printer, with no window and no display.

#include <QString>
#include <QStringList>

// Runs the export for the arguments after the program's name (the first is "--export-pdf"),
// in an application that exists already. Returns the exit code: 0 when the file was written;
// otherwise a one-line message went to standard error and no file was left behind.
int RunPdfExport(const QStringList &args);

// The program's --help text: the editor's command line and the export's.
QString CommandLineHelp();

// The first argument asks for the export or for help: main() hands the run to
// RunPdfExportMain, which needs no display (it runs Qt on the offscreen platform).
bool IsPdfExportCommand(int argc, char **argv);
int RunPdfExportMain(int argc, char **argv);
