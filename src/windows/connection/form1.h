// The connection window (Form1): the FoxPro side (a database container file
// or a folder of free tables) and the SQL side (an ODBC data source name),
// each with Test Connection, plus "Next >". Every field is stored the moment
// it changes; its load handler is the program's start-up sequence.
#ifndef QUILLOMAR_WINDOWS_CONNECTION_FORM1_H_
#define QUILLOMAR_WINDOWS_CONNECTION_FORM1_H_

#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "db/connection_fields.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace app {
class SettingsStore;
}
namespace ui {
class Ui;
}
namespace transfer {
struct ConnectionWindowContext;
}

namespace windows {

class TableWindowHost;

class Form1 : public QWidget {
  Q_OBJECT

 public:
  // `ui` and `settings` must outlive the window. The table window is set
  // later with SetTableWindow (it reads this window's fields).
  Form1(ui::Ui& ui, app::SettingsStore& settings, QWidget* parent = nullptr);
  ~Form1() override;

  // The table window "Next >" and the start-up open; may be null (then those
  // steps fail and are reported like any failing step).
  void SetTableWindow(TableWindowHost* table_window) { table_window_ = table_window; }

  // What closing the window does; the program ends itself here. Runs after
  // the close was accepted.
  void SetUnloadAction(std::function<void()> action) { unload_ = std::move(action); }

  // The fields as they stand now, as a value: every operation takes them
  // once when it starts.
  db::ConnectionFields Fields() const;

  // True when the start-up went straight on to the table window and hid this
  // window; the program then does not show it.
  bool hidden_by_load() const { return hidden_by_load_; }

  // Shows the window centred on its screen.
  void ShowCentred();

  // The first time the window becomes visible, however it is shown (at
  // start-up or by the table window's "< Back"), it opens centred.
  void setVisible(bool visible) override;

 public slots:
  // The start-up sequence; run once before the window is first shown.
  void Form_Load();
  void PushButton1_Click();  // FoxPro "Test Connection"
  void PushButton2_Click();  // SQL side "Test Connection"
  void PushButton3_Click();  // "Help"
  void PushButton4_Click();  // "Next >"
  void PushButton5_Click();  // "..." beside Text2
  void PushButton6_Click();  // "..." beside Text1
  void PushButton7_Click();  // "?"
  void PushButton8_Click();  // "Load Sample/Example Datab"

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControls();
  void SetDesignFonts();
  void SetDesignColours();
  void SetTabOrder();
  void ConnectHandlers();
  QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, int left, int top,
                          int width, int height);
  void Place(QWidget* widget, int left, int top, int width, int height);
  void MoveToScreenCentre();
  void ShowMessage(const std::string& text);
  // Runs one of the plain "Test Connection" handlers on this window.
  void RunConnectionCheck(void (*check)(transfer::ConnectionWindowContext&));
  std::string ProgramFolder() const;

  ui::Ui& ui_;
  app::SettingsStore& settings_;
  TableWindowHost* table_window_ = nullptr;
  std::function<void()> unload_;
  bool hidden_by_load_ = false;
  bool placed_ = false;

  QGroupBox* frame1_ = nullptr;
  QGroupBox* frame2_ = nullptr;
  QRadioButton* option1_ = nullptr;
  QRadioButton* option2_ = nullptr;
  QLineEdit* text1_ = nullptr;
  QLineEdit* text2_ = nullptr;
  QLineEdit* text3_ = nullptr;
  QLabel* label2_ = nullptr;
  QPushButton* push_button1_ = nullptr;
  QPushButton* push_button2_ = nullptr;
  QPushButton* push_button3_ = nullptr;
  QPushButton* push_button4_ = nullptr;
  QPushButton* push_button5_ = nullptr;
  QPushButton* push_button6_ = nullptr;
  QPushButton* push_button7_ = nullptr;
  QPushButton* push_button8_ = nullptr;
};

// The ten texts of the help message of PushButton3_Click, in order; the
// message shows each followed by two carriage returns.
const std::array<const char*, 10>& ConnectionHelpItems();

}  // namespace windows

#endif  // QUILLOMAR_WINDOWS_CONNECTION_FORM1_H_
