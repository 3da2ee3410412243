#include "registry_store.h"

#include "app/app_error.h"
#include "app/atomic_file.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace {
// "\A\\B\" and "a\b" name the same key.
QString normalized(const QString& path) {
    QStringList parts = path.split(u'\\', Qt::SkipEmptyParts);
    return parts.join(u'\\');
}

bool samePath(const QString& a, const QString& b) {
    return normalized(a).compare(normalized(b), Qt::CaseInsensitive) == 0;
}

bool below(const QString& path, const QString& ancestor) {
    const QString prefix = normalized(ancestor) + u'\\';
    return samePath(path, ancestor) || normalized(path).startsWith(prefix, Qt::CaseInsensitive);
}
} // namespace

RegistryStore RegistryStore::load(const QString& file) {
    RegistryStore store;
    QFile input(file);
    if (!input.exists())
        return store;
    const AppError failure(QStringLiteral("Unable to read %1").arg(file));
    if (!input.open(QIODevice::ReadOnly))
        throw failure;
    const QJsonDocument document = QJsonDocument::fromJson(input.readAll());
    if (!document.isArray())
        throw failure;
    for (const QJsonValue& keyValue : document.array()) {
        const QJsonObject key = keyValue.toObject();
        const QString path = normalized(key.value(QStringLiteral("path")).toString());
        if (path.isEmpty())
            throw failure;
        store.create(path);
        for (const QJsonValue& value : key.value(QStringLiteral("values")).toArray()) {
            const QJsonArray pair = value.toArray();
            store.setValue(path, pair.at(0).toString(), pair.at(1).toString());
        }
    }
    return store;
}

void RegistryStore::save(const QString& file) const {
    QJsonArray keys;
    for (const Key& key : m_keys) {
        QJsonArray values;
        for (const Value& value : key.values)
            values.append(QJsonArray{value.name, value.data});
        keys.append(
            QJsonObject{{QStringLiteral("path"), key.path}, {QStringLiteral("values"), values}});
    }
    const QByteArray bytes = QJsonDocument(keys).toJson();
    if (!writeFileAtomically(file, bytes))
        throw AppError(QStringLiteral("Unable to write to %1").arg(file));
}

qsizetype RegistryStore::indexOf(const QString& path) const {
    for (qsizetype i = 0; i < m_keys.size(); ++i) {
        if (samePath(m_keys[i].path, path))
            return i;
    }
    return -1;
}

bool RegistryStore::exists(const QString& path) const {
    return indexOf(path) >= 0;
}

void RegistryStore::create(const QString& path) {
    const QStringList parts = normalized(path).split(u'\\', Qt::SkipEmptyParts);
    QString current;
    for (const QString& part : parts) {
        current = current.isEmpty() ? part : current + u'\\' + part;
        if (!exists(current))
            m_keys.append({current, {}});
    }
}

void RegistryStore::setValue(const QString& path, const QString& name, const QString& data) {
    const qsizetype index = indexOf(path);
    if (index < 0)
        throw AppError(QStringLiteral("注册表项 %1 不存在").arg(path));
    QList<Value>& values = m_keys[index].values;
    for (Value& value : values) {
        if (value.name.compare(name, Qt::CaseInsensitive) == 0) {
            value.data = data;
            return;
        }
    }
    values.append({name, data});
}

void RegistryStore::removeTree(const QString& path) {
    m_keys.removeIf([&](const Key& key) { return below(key.path, path); });
}

QList<RegistryStore::Key> RegistryStore::keys() const {
    QList<Key> sorted = m_keys;
    std::sort(sorted.begin(), sorted.end(), [](const Key& a, const Key& b) {
        return a.path.compare(b.path, Qt::CaseInsensitive) < 0;
    });
    return sorted;
}
