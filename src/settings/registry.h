#pragma once
// The settings store: keys and named values under a root key, kept by a Tregbackend. Tregistry
// raises on a failed write; Tregistryex reports failures to the user instead, until told not to.

#include "platform/errors.h"
#include "settings/regbackend.h"

#include <QString>
#include <cstdint>
#include <memory>

// The predefined root keys, numbered as the registry numbers them.
enum THKey : uint32_t {
    HKEY_CLASSES_ROOT = 0x80000000u,
    HKEY_CURRENT_USER = 0x80000001u,
    HKEY_LOCAL_MACHINE = 0x80000002u,
    HKEY_USERS = 0x80000003u,
    HKEY_PERFORMANCE_DATA = 0x80000004u,
    HKEY_CURRENT_CONFIG = 0x80000005u,
    HKEY_DYN_DATA = 0x80000006u,
};

// A settings store could not do what it was asked.
class ERegistryException : public Exception {
public:
    using Exception::Exception;
    const char *ClassName() const override { return "ERegistryException"; }
};

// "HKEY_CURRENT_USER" and the like; "UNDEFINED KEY" for anything else.
QString RootKeyName(THKey root);
// "error #13 Permission denied": the number and the system's text for it.
QString SystemErrorText(int code);

// The tree a root key stands for. InitSettingsModule gives HKEY_CURRENT_USER the per-user
// settings file; a root without a tree has no keys, and creating one fails.
std::shared_ptr<Tregbackend> RootBackend(THKey root);
void SetRootBackend(THKey root, std::shared_ptr<Tregbackend> backend);

class Tregistry {
public:
    explicit Tregistry(THKey root = HKEY_CURRENT_USER);
    virtual ~Tregistry();
    Tregistry(const Tregistry &) = delete;
    Tregistry &operator=(const Tregistry &) = delete;

    THKey GetRootKey() const { return RootKey; }
    // Closes the current key.
    void SetRootKey(THKey root);
    bool HasCurrentKey() const { return CurrentKey != nullptr; }
    // The open key's path from the root, parts joined by "\".
    const QString &GetCurrentPath() const { return CurrentPath; }

    // Opens a key: a path starting with "\" from the root, any other from the open key (or the
    // root when none is open). With canCreate the key is made when missing. On failure the
    // current key stays as it was.
    virtual bool OpenKey(const QString &key, bool canCreate);
    void CloseKey();

    bool ValueExists(const QString &name) const;

    // Raise ERegistryException when the value cannot be stored.
    virtual void WriteString(const QString &name, const QString &value);
    virtual void WriteInteger(const QString &name, int32_t value);
    void WriteBool(const QString &name, bool value);
    virtual void WriteBinaryData(const QString &name, const void *buffer, int count);

    // A missing value, or one of another kind, reads as empty text, as absent, or gives -1
    // from ReadBinaryData (which also refuses data longer than count, copying nothing).
    QString ReadString(const QString &name) const;
    int32_t ReadInteger(const QString &name, int32_t absent = 0) const;
    bool ReadBool(const QString &name, bool absent = false) const;
    int ReadBinaryData(const QString &name, void *buffer, int count) const;

protected:
    // OpenKey's work; createError is the reason when creating failed (0 otherwise).
    bool OpenKeyFrom(const QString &key, bool canCreate, int &createError);

private:
    std::optional<TRegValue> Read(const QString &name) const;
    void Write(const QString &name, const TRegValue &value);

    THKey RootKey;
    std::shared_ptr<Tregbackend> CurrentKey;
    QString CurrentPath;
};

// The store the system uses: a failed write or key creation is shown through ShowFlexDlg and not
// raised, and "Don't Show Again" in a report silences this store's reports until it is destroyed.
class Tregistryex : public Tregistry {
public:
    using Tregistry::Tregistry;

    // Base. OpenKey also numbers the opening (OpenNumber) and shows a failure to create the key;
    // Tregistry::OpenKey opens without either.
    bool OpenKey(const QString &key, bool canCreate) override;
    void WriteString(const QString &name, const QString &value) override;
    void WriteInteger(const QString &name, int32_t value) override;
    void WriteBinaryData(const QString &name, const void *buffer, int count) override;

    // Shows the error with the context (put on a line of its own) unless Silenced.
    void ReportError(const std::exception &e, const QString &context);

    bool Silenced = false;
    int32_t OpenNumber = 0;
};

// The key every setting of the system lives in, under HKEY_CURRENT_USER.
inline constexpr char SettingsKeyPath[] = "\\software\\fennbrook\\ambrelo";

// The process-wide store, open on SettingsKeyPath from InitSettingsModule to DoneSettingsModule.
extern std::unique_ptr<Tregistryex> SettingsStore;

// The per-user settings file: fennbrook/ambrelo.conf in the XDG configuration folder.
QString UserSettingsFileName();

// Restarts the open counter, gives HKEY_CURRENT_USER the per-user settings file and opens
// SettingsStore on SettingsKeyPath, creating the key when missing. Called once by main() before
// any window exists, after the message hooks are installed.
void InitSettingsModule();
void DoneSettingsModule();
