#pragma once
// The table of facts the stock templates are made from (stocktemplates.txt): one block per
// label sheet, each named by the file it becomes.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

struct TStockSheet {
    // The file name without ".wlt", as the block's heading gives it.
    QString Name;
    // One label, in inches.
    double LabelWidth = 0.0;
    double LabelHeight = 0.0;
    int32_t Columns = 0;
    int32_t Rows = 0;
    // From the page's left and top edges to the first label, and between neighbouring labels.
    double LeftMargin = 0.0;
    double TopMargin = 0.0;
    double HGutter = 0.0;
    double VGutter = 0.0;
    // 0 portrait, 1 landscape.
    uint8_t Orientation = 0;
    // The starter objects: "front", "back", "neck", "round" or "square".
    QString Design;
    QString Description;
    // Where the block starts in the table, for messages.
    int Line = 0;
};

struct TStockTable {
    std::vector<TStockSheet> Sheets;
    // What is wrong with the table, each naming its line; empty when every block is sound.
    QStringList Errors;
};

// A length in inches: "4", "0.15625", "5/32" or "3 1/3". False when the text is none of these.
bool ParseInches(const QString &text, double &inches);

// Reads the table. A block must give every fact, fit its labels on the US-letter page without
// overlapping and sit centred on it (the left margin equal to the right, the top to the bottom).
TStockTable ParseStockTable(const QString &text);

// The designs the generator knows.
QStringList StockDesigns();
