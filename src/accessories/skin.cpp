#include "accessories/skin.h"

#include <QFile>
#include <QWidget>
#include <QtGlobal>
#include <stdexcept>

namespace accessories {
namespace {

// Collects Qt's complaints while a style sheet is tried out.
bool g_parse_failed = false;

void NoteParseFailure(QtMsgType, const QMessageLogContext&, const QString& message) {
  if (message.contains("Could not parse")) g_parse_failed = true;
}

}  // namespace

Skin::Skin(QObject* parent) : QObject(parent) {}

bool Skin::Parses(const QString& sheet) {
  // Qt parses a style sheet when a widget that carries it is polished and
  // reports a failure only as a warning; try it on a widget that is never
  // shown and listen for that warning.
  g_parse_failed = false;
  QtMessageHandler previous = qInstallMessageHandler(NoteParseFailure);
  {
    QWidget probe;
    probe.setStyleSheet(sheet);
    probe.ensurePolished();
  }
  qInstallMessageHandler(previous);
  return !g_parse_failed;
}

void Skin::LoadSkin(const std::string& path, const std::string& ini) {
  if (!ini.empty()) throw std::runtime_error("Skin section not found: " + ini);
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) {
    throw std::runtime_error("Cannot read skin file " + path);
  }
  const QString sheet = QString::fromUtf8(file.readAll());
  if (!Parses(sheet)) throw std::runtime_error("Skin file is not valid: " + path);
  sheet_ = sheet;
  loaded_ = true;
}

void Skin::ApplyWindow(QWidget* window) {
  if (window == nullptr) throw std::runtime_error("Skin: no window to apply to");
  if (!loaded_) throw std::runtime_error("Skin: no skin loaded");
  window->setStyleSheet(sheet_);
}

}  // namespace accessories
