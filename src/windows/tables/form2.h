// The table window (Form2): the FoxPro tables (List1) and the SQL data
// source's tables (List2) side by side, each with select, deselect, send,
// delete and rename buttons, a progress bar, "< Back" and "Help". Its load
// procedure reads both catalogs; closing it ends the program.
#ifndef QUILLOMAR_WINDOWS_TABLES_FORM2_H_
#define QUILLOMAR_WINDOWS_TABLES_FORM2_H_

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "db/connection_fields.h"
#include "db/table_list.h"
#include "platform/ui/ui.h"
#include "windows/connection/table_window_host.h"
#include "windows/tables/sorted_table_list.h"

class QGroupBox;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace app {
class Trap;
}
namespace transfer {
struct TableWindowContext;
}

namespace windows {

class Form1;

// Select All / Deselect All: line 100 reads the entry count once, line 102
// sets one entry's flag (a failure skips that entry only), line 104 goes to
// the next position.
void SetEverySelection(app::Trap& trap, db::TableList& list, bool selected);

class Form2 : public QWidget, public TableWindowHost {
  Q_OBJECT

 public:
  // Where an operation takes the connection fields from when it starts.
  using FieldsSource = std::function<db::ConnectionFields()>;

  // `ui` must outlive the window. `connection_window` is shown by "< Back"
  // and may be set later with SetConnectionWindow.
  Form2(ui::Ui& ui, FieldsSource fields, QWidget* connection_window = nullptr);
  // Takes the fields from `fields_window` (Form1::Fields), which must outlive
  // this window.
  Form2(ui::Ui& ui, const Form1& fields_window, QWidget* connection_window = nullptr);
  // Takes the fields from the value `fields` refers to as it is at each
  // operation (tests and benchmarks change it between clicks); it must
  // outlive this window.
  Form2(ui::Ui& ui, const db::ConnectionFields& fields, QWidget* connection_window = nullptr);
  ~Form2() override;

  void SetConnectionWindow(QWidget* window) { connection_window_ = window; }
  // The folder searched for HAND-M.CUR; the program's folder by default.
  void SetProgramFolder(std::string folder) { program_folder_ = std::move(folder); }
  // What closing the window does; by default the program ends at once.
  void SetUnloadAction(std::function<void()> action) { end_program_ = std::move(action); }

  // TableWindowHost: runs the load procedure; shows the window (loading it
  // first when it never was).
  void LoadTableWindow() override;
  void ShowTableWindow() override;
  bool loaded() const { return loaded_; }

  // The load procedure: colours, icon, hand pointer, title, both catalogs,
  // height. Reports its own failures; never throws.
  void Form_Load();

  // Click handlers, under the failure trap; none throws.
  void PushButton1_Click();   // delete selected FoxPro tables
  void PushButton2_Click();   // "< Back"
  void PushButton3_Click();   // send FoxPro tables to the SQL side
  void PushButton4_Click();   // send SQL tables to FoxPro
  void PushButton5_Click();   // delete selected SQL tables
  void PushButton6_Click();   // rename on the FoxPro side (disabled)
  void PushButton7_Click();   // rename one SQL table
  void PushButton8_Click();   // select all of List2
  void PushButton9_Click();   // deselect all of List2
  void PushButton10_Click();  // select all of List1
  void PushButton11_Click();  // deselect all of List1
  void PushButton12_Click();  // "Help"

  // The lists as the handlers see them, and the controls by design name.
  SortedTableList& list1() { return *list1_; }
  SortedTableList& list2() { return *list2_; }
  QListWidget* List1() const { return list1_widget_; }
  QListWidget* List2() const { return list2_widget_; }
  QProgressBar* ProgressBar1() const { return progress_bar_; }
  // PushButton1 .. PushButton12; nullptr for other numbers.
  QPushButton* PushButton(int number) const;

 protected:
  // Form_Unload: ends the program, asking and saving nothing.
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void BuildFrame1();
  void BuildFrame2();
  void ConnectHandlers();
  void SetTabOrder();
  QPushButton* AddButton(int number, QWidget* parent, const char* caption, QRect twips);
  void Place(QWidget* widget, QRect twips);
  int Px(int twips) const;

  void SelectAll(SortedTableList& list, const char* handler, bool selected);
  // Runs one of the plain handlers of transfer/ on this window's context.
  void RunOnContext(void (*handler)(transfer::TableWindowContext&));
  void LoadHandPointer(app::Trap& trap);
  void ReadCatalogs(app::Trap& trap);
  void SetLoadedHeight();
  void ShowInfo(const std::string& text);

  ui::Ui& ui_;
  FieldsSource fields_;
  QWidget* connection_window_;
  std::string program_folder_;
  std::function<void()> end_program_;
  bool loaded_ = false;

  QGroupBox* frame1_ = nullptr;
  QGroupBox* frame2_ = nullptr;
  QListWidget* list1_widget_ = nullptr;
  QListWidget* list2_widget_ = nullptr;
  QProgressBar* progress_bar_ = nullptr;
  QPushButton* buttons_[13] = {};
  std::unique_ptr<SortedTableList> list1_;
  std::unique_ptr<SortedTableList> list2_;
};

}  // namespace windows

#endif  // QUILLOMAR_WINDOWS_TABLES_FORM2_H_
