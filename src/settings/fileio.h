#pragma once
// File writes that keep the operating system's error number, for the reports that show it
// ("error #13 Permission denied"). Each returns 0 on success, else the errno value.

#include <QByteArray>
#include <QString>

// Creates the folder and the folders above it that are missing.
int MakeFolders(const QString &path);

// Replaces the file's content at once: the data goes to a new file beside it, which is synced
// and renamed over the old one, so a failure leaves the old file as it was.
int WriteWholeFile(const QString &fileName, const QByteArray &data, int mode = 0644);

// Reads the whole file into data.
int ReadWholeFile(const QString &fileName, QByteArray &data);

// Why a write of the file fails: the first refusal met by creating its folder, opening the file
// and writing a file of the given size beside it; EIO when each of those succeeds.
int FindWriteError(const QString &fileName, qint64 size);
