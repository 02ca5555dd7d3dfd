#include "app/settings_store.h"

#include <QStringList>
#include <QVariant>

namespace app {
namespace {

QString QualifiedKey(const std::string& key) {
  return QString::fromLatin1(kSettingsSection) + "/" + QString::fromStdString(key);
}

}  // namespace

SettingsStore::SettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QStringLiteral("Tolvane"))) {}

SettingsStore::SettingsStore(const QString& file_name)
    : settings_(std::make_unique<QSettings>(file_name, QSettings::IniFormat)) {}

std::string SettingsStore::Read(const std::string& key) const {
  QVariant value = settings_->value(QualifiedKey(key));
  // A hand-edited value with an unquoted comma reads as a list: keep its
  // text rather than losing it.
  if (value.typeId() == QMetaType::QStringList) {
    return value.toStringList().join(QStringLiteral(", ")).toStdString();
  }
  return value.toString().toStdString();
}

void SettingsStore::Write(const std::string& key, const std::string& value) {
  settings_->setValue(QualifiedKey(key), QString::fromStdString(value));
  settings_->sync();
}

QString SettingsStore::FileName() const { return settings_->fileName(); }

QSettings::Status SettingsStore::status() const { return settings_->status(); }

}  // namespace app
