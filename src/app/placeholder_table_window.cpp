#include "app/placeholder_table_window.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/application_title.h"

namespace app {

PlaceholderTableWindow::PlaceholderTableWindow(QWidget* connection_window)
    : connection_window_(connection_window) {
  setObjectName("Form2");
  setWindowTitle(QString::fromLatin1(kProductName));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Both sides are connected."), this));
  auto* back = new QPushButton(QStringLiteral("< Back"), this);
  back->setObjectName("PushButton12");
  layout->addWidget(back);
  connect(back, &QPushButton::clicked, this, [this] {
    connection_window_->show();
    hide();
  });
  resize(400, 120);
}

void PlaceholderTableWindow::ShowTableWindow() { show(); }

void PlaceholderTableWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  if (unload_) unload_();
}

}  // namespace app
