// The per-user settings store: string values under application "Tolvane",
// section "Quillomar", by key. Kept in $XDG_CONFIG_HOME/Tolvane.ini (by
// default ~/.config/Tolvane.ini), group [Quillomar].
#ifndef QUILLOMAR_APP_SETTINGS_STORE_H_
#define QUILLOMAR_APP_SETTINGS_STORE_H_

#include <QSettings>
#include <QString>
#include <memory>
#include <string>

namespace app {

// The keys the connection window keeps.
inline constexpr char kDbcFileKey[] = "DBCFile";
inline constexpr char kFreeTableFolderKey[] = "FreeTableFolder";
inline constexpr char kDataSourceNameKey[] = "DataSourceName";
inline constexpr char kFoxproOptionKey[] = "FoxproOption";

// The section every key lives in.
inline constexpr char kSettingsSection[] = "Quillomar";

class SettingsStore {
 public:
  // The user's store. The configuration folder is read when the first store
  // is made, so XDG_CONFIG_HOME must be set before that.
  SettingsStore();
  // A store on an explicit INI file (tests, tools).
  explicit SettingsStore(const QString& file_name);
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  // The stored text of `key`; the empty string when the key was never
  // written or cannot be read. Never throws.
  std::string Read(const std::string& key) const;

  // Stores `value` under `key` and writes the file at once. A file that
  // cannot be written keeps the value for this run only; nothing is thrown.
  void Write(const std::string& key, const std::string& value);

  // The file behind the store.
  QString FileName() const;
  // NoError, AccessError (unwritable) or FormatError (the file did not parse;
  // what did parse is still read).
  QSettings::Status status() const;

 private:
  std::unique_ptr<QSettings> settings_;
};

}  // namespace app

#endif  // QUILLOMAR_APP_SETTINGS_STORE_H_
