#include "windows/connection/form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <utility>

#include "accessories/appearance.h"
#include "app/application_title.h"
#include "app/settings_store.h"
#include "platform/ui/ui.h"

namespace windows {
namespace {

constexpr char kWindowName[] = "Form1";
constexpr int kClientWidth = 8040;
constexpr int kClientHeight = 4155;

std::string S(const QString& text) { return text.toStdString(); }

}  // namespace

const std::array<const char*, 10>& ConnectionHelpItems() {
  static const std::array<const char*, 10> kItems = {
      "Here is how I connected to my Sybase database.",
      "1. Downloaded and installed drivers: SQL Anywhere 10 for Windows "
      "(SQLAnywhere_1000_Windows.exe)",
      "2. Applied to the database vendor for a developer key and entered it when the "
      "installer asked for it.",
      "3. Clicked to Start > Settings > Control Panel > Administrative Tools > Data Source "
      "(ODBC)",
      "4. Clicked 'Add...' ",
      "5. Selected 'SQL Anywhere 10'",
      "6. Filled in 'Data source name', 'User ID', 'Password', 'Server Name', 'TCP/IP' given "
      "to me by my administrator.",
      "7. Clicked 'Test Connection'.",
      "8. Filled in 'Data Source Name' in my program to be the same as 'Data source name' in "
      "Data Source (ODBC)",
      "9. Clicked 'Test Connection' in my program.",
  };
  return kItems;
}

Form1::Form1(ui::Ui& ui, app::SettingsStore& settings, QWidget* parent)
    : QWidget(parent), ui_(ui), settings_(settings) {
  setObjectName(kWindowName);
  setFixedSize(accessories::TwipsToPixels(kClientWidth, logicalDpiX()),
               accessories::TwipsToPixels(kClientHeight, logicalDpiY()));
  CreateControls();
  SetDesignFonts();
  SetDesignColours();
  SetTabOrder();
  ConnectHandlers();
  accessories::InstallPointerRules(this);
  text1_->setFocus();
}

Form1::~Form1() = default;

void Form1::Place(QWidget* widget, int left, int top, int width, int height) {
  const int dx = logicalDpiX();
  const int dy = logicalDpiY();
  using accessories::TwipsToPixels;
  widget->setGeometry(TwipsToPixels(left, dx), TwipsToPixels(top, dy), TwipsToPixels(width, dx),
                      TwipsToPixels(height, dy));
}

QPushButton* Form1::MakeButton(QWidget* parent, const char* name, const char* caption, int left,
                               int top, int width, int height) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  Place(button, left, top, width, height);
  return button;
}

void Form1::CreateControls() {
  frame1_ = new QGroupBox(QStringLiteral("FoxPro Login"), this);
  frame1_->setObjectName("Frame1");
  Place(frame1_, 120, 120, 7800, 1905);
  option1_ = new QRadioButton(QStringLiteral("DBC File:"), frame1_);
  option1_->setObjectName("Option1");
  Place(option1_, 240, 405, 1215, 255);
  option1_->setChecked(true);
  text1_ = new QLineEdit(frame1_);
  text1_->setObjectName("Text1");
  Place(text1_, 1560, 330, 5295, 345);
  push_button6_ = MakeButton(frame1_, "PushButton6", "...", 6960, 330, 600, 345);
  option2_ = new QRadioButton(QStringLiteral("Free Table Folder:"), frame1_);
  option2_->setObjectName("Option2");
  Place(option2_, 240, 885, 1815, 255);
  text2_ = new QLineEdit(frame1_);
  text2_->setObjectName("Text2");
  Place(text2_, 2160, 840, 4695, 345);
  push_button5_ = MakeButton(frame1_, "PushButton5", "...", 6960, 840, 600, 345);
  push_button1_ = MakeButton(frame1_, "PushButton1", "Test Connection", 240, 1320, 3240, 405);
  push_button8_ =
      MakeButton(frame1_, "PushButton8", "Load Sample/Example Datab", 3600, 1320, 3240, 405);
  push_button7_ = MakeButton(frame1_, "PushButton7", "?", 6960, 1320, 600, 405);

  frame2_ = new QGroupBox(QStringLiteral("Sybase iAnywhere Database"), this);
  frame2_->setObjectName("Frame2");
  Place(frame2_, 120, 2100, 7800, 1425);
  label2_ = new QLabel(QStringLiteral("Data Source Name:"), frame2_);
  label2_->setObjectName("Label2");
  Place(label2_, 240, 405, 1695, 255);
  text3_ = new QLineEdit(frame2_);
  text3_->setObjectName("Text3");
  Place(text3_, 2040, 360, 5535, 345);
  push_button2_ = MakeButton(frame2_, "PushButton2", "Test Connection", 240, 840, 3600, 405);
  push_button3_ = MakeButton(frame2_, "PushButton3", "Help", 3960, 840, 3600, 405);
  push_button4_ = MakeButton(this, "PushButton4", "Next >", 120, 3640, 7800, 405);
}

void Form1::SetDesignFonts() {
  QFont window_font(QStringLiteral("Arial"));
  window_font.setPointSizeF(9);
  setFont(window_font);
  QFont bold = window_font;
  bold.setBold(true);
  for (QWidget* w : std::initializer_list<QWidget*>{frame1_, frame2_, option1_, option2_, label2_,
                                                    text1_, text2_, text3_}) {
    w->setFont(bold);
  }
  QFont button_font = bold;
  button_font.setPointSizeF(11.25);
  for (QPushButton* b : findChildren<QPushButton*>()) b->setFont(button_font);
}

void Form1::SetDesignColours() {
  // White behind the window, its frames, options and label; the text boxes
  // keep the system's colours; buttons are white with button-text captions.
  for (QWidget* w :
       std::initializer_list<QWidget*>{this, frame1_, frame2_, option1_, option2_, label2_}) {
    accessories::SetWhiteBackground(w);
  }
  for (QPushButton* b : findChildren<QPushButton*>()) {
    QPalette p = b->palette();
    p.setColor(QPalette::Button, Qt::white);
    p.setColor(QPalette::ButtonText, QApplication::palette().color(QPalette::ButtonText));
    b->setPalette(p);
  }
  for (QLineEdit* t : {text1_, text2_, text3_}) t->setPalette(QApplication::palette());
}

void Form1::SetTabOrder() {
  // By tab index: Text1 0, PushButton6 1, Text2 2, PushButton5 3, PushButton1
  // 4, PushButton7 5, Text3 6, PushButton2 7, PushButton3 8, PushButton4 9,
  // Option1 10, Option2 14, PushButton8 15 (frames and the label take no
  // focus).
  QWidget* order[] = {text1_,        push_button6_, text2_,        push_button5_, push_button1_,
                      push_button7_, text3_,        push_button2_, push_button3_, push_button4_,
                      option1_,      option2_,      push_button8_};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
  frame1_->setFocusPolicy(Qt::NoFocus);
  frame2_->setFocusPolicy(Qt::NoFocus);
}

void Form1::ConnectHandlers() {
  // The click handlers, by button; each traps its own failures.
  using Handler = void (Form1::*)();
  const std::pair<QPushButton*, Handler> clicks[] = {
      {push_button1_, &Form1::PushButton1_Click}, {push_button2_, &Form1::PushButton2_Click},
      {push_button3_, &Form1::PushButton3_Click}, {push_button4_, &Form1::PushButton4_Click},
      {push_button5_, &Form1::PushButton5_Click}, {push_button6_, &Form1::PushButton6_Click},
      {push_button7_, &Form1::PushButton7_Click}, {push_button8_, &Form1::PushButton8_Click},
  };
  for (const auto& [button, handler] : clicks) {
    connect(button, &QPushButton::clicked, this, handler);
  }
  // Change handlers: every change of a box's text, typed or set by code, is
  // stored at once under its key.
  connect(text1_, &QLineEdit::textChanged, this,
          [this](const QString& text) { settings_.Write(app::kDbcFileKey, S(text)); });
  connect(text2_, &QLineEdit::textChanged, this,
          [this](const QString& text) { settings_.Write(app::kFreeTableFolderKey, S(text)); });
  connect(text3_, &QLineEdit::textChanged, this,
          [this](const QString& text) { settings_.Write(app::kDataSourceNameKey, S(text)); });
  // Option click handlers: choosing an option, by the user or by code while it
  // is not selected, stores its number.
  connect(option1_, &QRadioButton::toggled, this, [this](bool checked) {
    if (checked) settings_.Write(app::kFoxproOptionKey, "1");
  });
  connect(option2_, &QRadioButton::toggled, this, [this](bool checked) {
    if (checked) settings_.Write(app::kFoxproOptionKey, "2");
  });
  for (QLineEdit* t : {text1_, text2_, text3_}) t->installEventFilter(this);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn &&
      (watched == text1_ || watched == text2_ || watched == text3_)) {
    // Got-focus handlers: select the whole text so typing replaces it.
    static_cast<QLineEdit*>(watched)->selectAll();
  }
  return QWidget::eventFilter(watched, event);
}

db::ConnectionFields Form1::Fields() const {
  return db::ConnectionFields{option1_->isChecked(), S(text1_->text()), S(text2_->text()),
                              S(text3_->text())};
}

std::string Form1::ProgramFolder() const { return accessories::ProgramFolder(); }

void Form1::ShowMessage(const std::string& text) {
  ui_.MessageBox(this, text, ui::kOkOnly, app::ApplicationTitle());
}

void Form1::ShowCentred() {
  MoveToScreenCentre();
  show();
}

void Form1::setVisible(bool visible) {
  if (visible && !placed_) MoveToScreenCentre();
  QWidget::setVisible(visible);
}

void Form1::MoveToScreenCentre() {
  placed_ = true;
  QScreen* where = screen();
  if (where == nullptr) return;
  QRect frame = frameGeometry();
  frame.moveCenter(where->availableGeometry().center());
  move(frame.topLeft());
}

void Form1::closeEvent(QCloseEvent* event) {
  // The unload handler: closing this window ends the program.
  event->accept();
  if (unload_) unload_();
}

}  // namespace windows
