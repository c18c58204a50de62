#pragma once
// The storage under a settings store: a tree of keys holding named values of three kinds, one
// tree per root key. Changes report the operating system's error number instead of raising.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <utility>
#include <variant>
#include <vector>

// A stored value: a string, a signed 32-bit integer (booleans too) or binary data.
using TRegValue = std::variant<QString, int32_t, QByteArray>;

// Key paths are relative to the root, their parts joined by "\" with none at either end; the
// empty path is the root, which always exists.
class Tregbackend {
public:
    virtual ~Tregbackend() = default;

    virtual bool KeyExists(const QString &path) const = 0;
    // Creates the key and the keys above it. 0 when it exists afterwards, else an errno value.
    virtual int CreateKey(const QString &path) = 0;
    virtual std::optional<TRegValue> ReadValue(const QString &path, const QString &name) const = 0;
    // Stores the value, creating its key when missing. 0, or the errno value of the refusal;
    // a refused write leaves what was stored as it was.
    virtual int WriteValue(const QString &path, const QString &name, const TRegValue &value) = 0;
};

// A tree in memory. While RefuseWrites is not 0 every change fails with that error number.
class Tmemorybackend : public Tregbackend {
public:
    // Base
    bool KeyExists(const QString &path) const override;
    int CreateKey(const QString &path) override;
    std::optional<TRegValue> ReadValue(const QString &path, const QString &name) const override;
    int WriteValue(const QString &path, const QString &name, const TRegValue &value) override;

    int RefuseWrites = 0;

private:
    std::set<QString> Keys;
    std::map<std::pair<QString, QString>, TRegValue> Values;
};

// The path of the key and the keys above it, nearest to the root first: "a\b" gives "a", "a\b".
std::vector<QString> KeyPathChain(const QString &path);
