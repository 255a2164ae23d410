#include "RegistrySettings.h"

#include <QByteArray>
#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace Sondrel {

namespace {

const QString Group = QStringLiteral("Settings");

std::unique_ptr<QSettings> UserStore() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Sondrel"), QStringLiteral("Main"));
}

QString AsText(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QStringList:
        // An unquoted comma in a hand-edited INI file turns the value into a list.
        return value.toStringList().join(QStringLiteral(", "));
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    default:
        return value.toString();
    }
}

} // namespace

TRegistrySettings::TRegistrySettings() : TRegistrySettings(UserStore()) {}

TRegistrySettings::TRegistrySettings(const QString& filePath)
    : TRegistrySettings(std::make_unique<QSettings>(filePath, QSettings::IniFormat)) {}

TRegistrySettings::TRegistrySettings(std::unique_ptr<QSettings> store) : FStore(std::move(store)) {
    FStore->beginGroup(Group);
}

TRegistrySettings::~TRegistrySettings() = default;

QString TRegistrySettings::StoredName(const QString& name) const {
    const QStringList keys = FStore->childKeys();
    for (const auto& key : keys) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            return key;
        }
    }
    return name;
}

bool TRegistrySettings::Contains(const QString& name) const {
    return FStore->contains(StoredName(name));
}

QString TRegistrySettings::ReadSetting(const QString& name, const QString& defaultValue) {
    const QString stored = StoredName(name);
    if (FStore->contains(stored)) {
        return AsText(FStore->value(stored));
    }
    WriteSetting(name, defaultValue);
    return defaultValue;
}

bool TRegistrySettings::WriteSetting(const QString& name, const QString& value) {
    FStore->setValue(StoredName(name), value);
    FStore->sync();
    return FStore->status() == QSettings::NoError;
}

QString TRegistrySettings::Location() const {
    return FStore->fileName();
}

} // namespace Sondrel
