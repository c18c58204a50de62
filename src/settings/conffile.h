#pragma once
// The per-user settings file: QSettings in a format of our own that keeps every key path and
// every value's kind. Each change is written to disk at once, so the change that fails learns why.

#include "settings/regbackend.h"

#include <QIODevice>
#include <QSettings>

class Tconffilebackend : public Tregbackend {
public:
    // Reads the file when it exists. A damaged line is skipped, the file as it was is copied to
    // fileName + ".damaged" and the user is told; the values that could be read are used.
    explicit Tconffilebackend(const QString &fileName);

    const QString &FileName() const { return File; }

    // Base
    bool KeyExists(const QString &path) const override;
    int CreateKey(const QString &path) override;
    std::optional<TRegValue> ReadValue(const QString &path, const QString &name) const override;
    int WriteValue(const QString &path, const QString &name, const TRegValue &value) override;

private:
    void CheckForDamage() const;

    QString File;
};

// The registered QSettings format of the settings file. Its text is one "[key path]" line per key
// followed by the key's values, one a line: "name"="text", "name"=dword:0000002a, "name"=hex:01,02;
// @ stands for the unnamed value. QSettings holds the entries as "<path parts>/=<name>" (values)
// and "<path parts>/*" (a key), path parts and names escaped so that "/" and "\" survive.
QSettings::Format RegFileFormat();

// The entries of a settings file's text; 0 when every line was understood, else the number of the
// first line that was not (the lines that were understood are in map all the same).
int ParseRegFile(const QByteArray &text, QSettings::SettingsMap &map);
QByteArray FormatRegFile(const QSettings::SettingsMap &map);
