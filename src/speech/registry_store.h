#pragma once

#include <QList>
#include <QString>

// A small registry: keys named by paths of sub-key names joined by "\", each with named string
// values in the order they were first written. Key and value names compare without regard to
// case; the empty value name is the key's unnamed (default) value. Kept in a file, replaced
// atomically on save.
class RegistryStore {
public:
    struct Value {
        QString name;
        QString data;
    };
    struct Key {
        QString path; // as first created
        QList<Value> values;
    };

    // A missing file gives an empty store; an unreadable or malformed one raises AppError.
    static RegistryStore load(const QString& file);
    void save(const QString& file) const;

    bool exists(const QString& path) const;
    // Creates the key and every missing key above it.
    void create(const QString& path);
    // Sets a value of an existing key.
    void setValue(const QString& path, const QString& name, const QString& data);
    // Removes the key and everything below it; a missing key is no error.
    void removeTree(const QString& path);

    // Every key, sorted by path without regard to case.
    QList<Key> keys() const;

private:
    qsizetype indexOf(const QString& path) const;
    QList<Key> m_keys;
};
