#include "settings/regbackend.h"

#include <QStringList>

std::vector<QString> KeyPathChain(const QString &path)
{
    std::vector<QString> chain;
    QString prefix;
    for (const QString &part : path.split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        prefix = prefix.isEmpty() ? part : prefix + QLatin1Char('\\') + part;
        chain.push_back(prefix);
    }
    return chain;
}

bool Tmemorybackend::KeyExists(const QString &path) const
{
    return path.isEmpty() || Keys.count(path) != 0;
}

int Tmemorybackend::CreateKey(const QString &path)
{
    if (KeyExists(path))
        return 0;
    if (RefuseWrites != 0)
        return RefuseWrites;
    for (const QString &key : KeyPathChain(path))
        Keys.insert(key);
    return 0;
}

std::optional<TRegValue> Tmemorybackend::ReadValue(const QString &path, const QString &name) const
{
    const auto found = Values.find({path, name});
    if (found == Values.end())
        return std::nullopt;
    return found->second;
}

int Tmemorybackend::WriteValue(const QString &path, const QString &name, const TRegValue &value)
{
    if (RefuseWrites != 0)
        return RefuseWrites;
    for (const QString &key : KeyPathChain(path))
        Keys.insert(key);
    Values[{path, name}] = value;
    return 0;
}
