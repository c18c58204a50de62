#include "settings/registry.h"

#include "platform/messages.h"
#include "settings/conffile.h"

#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <map>

std::unique_ptr<Tregistryex> SettingsStore;

namespace {

// Numbers every Tregistryex::OpenKey of every store, from 0 at module initialisation.
int32_t OpenCounter = 0;

constexpr int MaxSystemTextLength = 4095;

std::map<THKey, std::shared_ptr<Tregbackend>> &Backends()
{
    static std::map<THKey, std::shared_ptr<Tregbackend>> backends;
    return backends;
}

QString JoinPath(const QString &base, const QString &relative)
{
    const std::vector<QString> chain = KeyPathChain(base + QLatin1Char('\\') + relative);
    return chain.empty() ? QString() : chain.back();
}

} // namespace

QString RootKeyName(THKey root)
{
    switch (root) {
    case HKEY_CLASSES_ROOT:
        return QStringLiteral("HKEY_CLASSES_ROOT");
    case HKEY_CURRENT_USER:
        return QStringLiteral("HKEY_CURRENT_USER");
    case HKEY_LOCAL_MACHINE:
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    case HKEY_USERS:
        return QStringLiteral("HKEY_USERS");
    case HKEY_PERFORMANCE_DATA:
        return QStringLiteral("HKEY_PERFORMANCE_DATA");
    case HKEY_CURRENT_CONFIG:
        return QStringLiteral("HKEY_CURRENT_CONFIG");
    case HKEY_DYN_DATA:
        return QStringLiteral("HKEY_DYN_DATA");
    }
    return QStringLiteral("UNDEFINED KEY");
}

QString SystemErrorText(int code)
{
    return QStringLiteral("error #") + QString::number(code) + QLatin1Char(' ') +
           qt_error_string(code).left(MaxSystemTextLength);
}

std::shared_ptr<Tregbackend> RootBackend(THKey root)
{
    const auto found = Backends().find(root);
    return found == Backends().end() ? nullptr : found->second;
}

void SetRootBackend(THKey root, std::shared_ptr<Tregbackend> backend)
{
    if (backend)
        Backends()[root] = std::move(backend);
    else
        Backends().erase(root);
}

Tregistry::Tregistry(THKey root) : RootKey(root) {}

Tregistry::~Tregistry() = default;

void Tregistry::SetRootKey(THKey root)
{
    CloseKey();
    RootKey = root;
}

bool Tregistry::OpenKey(const QString &key, bool canCreate)
{
    int createError = 0;
    return OpenKeyFrom(key, canCreate, createError);
}

bool Tregistry::OpenKeyFrom(const QString &key, bool canCreate, int &createError)
{
    createError = 0;
    const bool absolute = key.startsWith(QLatin1Char('\\'));
    const QString relative = absolute ? key.mid(1) : key;
    const QString path =
        absolute || !CurrentKey ? JoinPath(QString(), relative) : JoinPath(CurrentPath, relative);
    const std::shared_ptr<Tregbackend> backend = RootBackend(RootKey);
    if (canCreate && !relative.isEmpty()) {
        createError = backend ? backend->CreateKey(path) : ENOENT;
        if (createError != 0)
            return false;
    } else if (!backend || !backend->KeyExists(path)) {
        return false;
    }
    CurrentKey = backend;
    CurrentPath = path;
    return true;
}

void Tregistry::CloseKey()
{
    CurrentKey.reset();
    CurrentPath.clear();
}

std::optional<TRegValue> Tregistry::Read(const QString &name) const
{
    return CurrentKey ? CurrentKey->ReadValue(CurrentPath, name) : std::nullopt;
}

void Tregistry::Write(const QString &name, const TRegValue &value)
{
    const int error = CurrentKey ? CurrentKey->WriteValue(CurrentPath, name, value) : EBADF;
    if (error != 0)
        throw ERegistryException(QStringLiteral("Failed to set data for '%1'").arg(name) +
                                 QStringLiteral("\r\n") + SystemErrorText(error));
}

bool Tregistry::ValueExists(const QString &name) const
{
    return Read(name).has_value();
}

void Tregistry::WriteString(const QString &name, const QString &value)
{
    Write(name, value);
}

void Tregistry::WriteInteger(const QString &name, int32_t value)
{
    Write(name, value);
}

void Tregistry::WriteBool(const QString &name, bool value)
{
    WriteInteger(name, value ? 1 : 0);
}

void Tregistry::WriteBinaryData(const QString &name, const void *buffer, int count)
{
    Write(name, QByteArray(static_cast<const char *>(buffer), count));
}

QString Tregistry::ReadString(const QString &name) const
{
    const auto value = Read(name);
    const auto *text = value ? std::get_if<QString>(&*value) : nullptr;
    return text ? *text : QString();
}

int32_t Tregistry::ReadInteger(const QString &name, int32_t absent) const
{
    const auto value = Read(name);
    const auto *number = value ? std::get_if<int32_t>(&*value) : nullptr;
    return number ? *number : absent;
}

bool Tregistry::ReadBool(const QString &name, bool absent) const
{
    const auto value = Read(name);
    const auto *number = value ? std::get_if<int32_t>(&*value) : nullptr;
    return number ? *number != 0 : absent;
}

int Tregistry::ReadBinaryData(const QString &name, void *buffer, int count) const
{
    const auto value = Read(name);
    const auto *bytes = value ? std::get_if<QByteArray>(&*value) : nullptr;
    if (!bytes || bytes->size() > count)
        return -1;
    if (!bytes->isEmpty())
        std::memcpy(buffer, bytes->constData(), static_cast<size_t>(bytes->size()));
    return static_cast<int>(bytes->size());
}

bool Tregistryex::OpenKey(const QString &key, bool canCreate)
{
    OpenNumber = OpenCounter++;
    int createError = 0;
    if (OpenKeyFrom(key, canCreate, createError))
        return true;
    if (createError != 0)
        ShowFlexDlg(QStringLiteral("Could not open registry key "),
                    QStringLiteral("Could not open key in ") + RootKeyName(GetRootKey()) +
                        QStringLiteral(" \"") + key + QStringLiteral("\"\r\n") + SystemErrorText(createError),
                    QStringLiteral("Ok=mrok"), QString(), fiError, true, -1);
    return false;
}

void Tregistryex::WriteString(const QString &name, const QString &value)
{
    try {
        Tregistry::WriteString(name, value);
    } catch (const std::exception &e) {
        ReportError(e, QString::number(OpenNumber));
    }
}

void Tregistryex::WriteInteger(const QString &name, int32_t value)
{
    try {
        Tregistry::WriteInteger(name, value);
    } catch (const std::exception &e) {
        ReportError(e, QString::number(OpenNumber));
    }
}

void Tregistryex::WriteBinaryData(const QString &name, const void *buffer, int count)
{
    try {
        Tregistry::WriteBinaryData(name, buffer, count);
    } catch (const std::exception &e) {
        ReportError(e, QString::number(OpenNumber) + QStringLiteral(".writebinaydata"));
    }
}

void Tregistryex::ReportError(const std::exception &e, const QString &context)
{
    const QString line = context.trimmed().isEmpty() ? context : QStringLiteral("\r\n") + context;
    if (Silenced)
        return;
    const int answer =
        ShowFlexDlg(QStringLiteral("Registry error: "), ErrorReportText(e) + line,
                    QStringLiteral("\"Ok=mrok\",\"Don't Show Again=mrabort\""), QString(), fiError, true, -1);
    if (answer == mrAbort)
        Silenced = true;
}

QString UserSettingsFileName()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/fennbrook/ambrelo.conf");
}

void InitSettingsModule()
{
    OpenCounter = 0;
    SetRootBackend(HKEY_CURRENT_USER, std::make_shared<Tconffilebackend>(UserSettingsFileName()));
    SettingsStore = std::make_unique<Tregistryex>(HKEY_CURRENT_USER);
    SettingsStore->OpenKey(QString::fromLatin1(SettingsKeyPath), true);
}

void DoneSettingsModule()
{
    SettingsStore.reset();
}
