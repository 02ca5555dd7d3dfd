#include "windows/tables/form2.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "accessories/appearance.h"
#include "app/application_title.h"
#include "app/trap.h"
#include "db/catalog.h"
#include "platform/ui/operation_guard.h"
#include "windows/connection/form1.h"

namespace windows {
namespace {

constexpr char kWindowName[] = "Form2";
constexpr char kContactPage[] = "https://quillomar.example/contact";

// Design measures, in twips.
constexpr int kClientWidth = 8040;
constexpr int kBackTop = 5025;
constexpr int kBackHeight = 405;
constexpr int kBottomMargin = 580;
constexpr double kWindowPoints = 9;
constexpr double kButtonPoints = 11.25;

// Ends the program at once. In the middle of an operation (a nested event
// loop of a running handler) the process ends here: every statement already
// sent has taken effect and every file is consistent after each row.
void EndProgramNow() {
  if (ui::OperationGuard::Busy()) {
    std::fflush(nullptr);
    std::_Exit(0);
  }
  QCoreApplication::exit(0);
}

}  // namespace

Form2::Form2(ui::Ui& ui, const Form1& fields_window, QWidget* connection_window)
    : Form2(
          ui, [&fields_window] { return fields_window.Fields(); }, connection_window) {}

Form2::Form2(ui::Ui& ui, const db::ConnectionFields& fields, QWidget* connection_window)
    : Form2(
          ui, [&fields] { return fields; }, connection_window) {}

Form2::Form2(ui::Ui& ui, FieldsSource fields, QWidget* connection_window)
    : ui_(ui),
      fields_(std::move(fields)),
      connection_window_(connection_window),
      program_folder_(accessories::ProgramFolder()),
      end_program_(EndProgramNow) {
  setObjectName(kWindowName);
  setFont(accessories::DesignFont(kWindowPoints));
  BuildControls();
  SetTabOrder();
  ConnectHandlers();
  accessories::InstallPointerRules(this);
  resize(Px(kClientWidth), Px(kBackTop + kBackHeight + kBottomMargin));
}

Form2::~Form2() = default;

int Form2::Px(int twips) const { return accessories::TwipsToPixels(twips, logicalDpiY()); }

void Form2::Place(QWidget* widget, QRect twips) {
  widget->setGeometry(Px(twips.x()), Px(twips.y()), Px(twips.width()), Px(twips.height()));
}

QPushButton* Form2::AddButton(int number, QWidget* parent, const char* caption, QRect twips) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(QString("PushButton%1").arg(number));
  button->setFont(accessories::DesignFont(kButtonPoints));
  QPalette palette = button->palette();
  palette.setColor(QPalette::Button, Qt::white);
  button->setPalette(palette);
  Place(button, twips);
  buttons_[number] = button;
  return button;
}

QPushButton* Form2::PushButton(int number) const {
  return number >= 1 && number <= 12 ? buttons_[number] : nullptr;
}

void Form2::BuildFrame1() {
  frame1_ = new QGroupBox("FoxPro Tables", this);
  frame1_->setObjectName("Frame1");
  accessories::SetWhiteBackground(frame1_);
  Place(frame1_, QRect(120, 120, 3840, 4215));
  list1_widget_ = new QListWidget(frame1_);
  list1_widget_->setObjectName("List1");
  Place(list1_widget_, QRect(240, 360, 3330, 1635));
  list1_ = std::make_unique<SortedTableList>(list1_widget_);
  AddButton(10, frame1_, "Select All", QRect(240, 2100, 1600, 400));
  AddButton(11, frame1_, "Deselect All", QRect(1960, 2100, 1600, 400));
  AddButton(3, frame1_, "Send Table/s To Sybase iAny", QRect(240, 2600, 3330, 400));
  AddButton(1, frame1_, "Delete Table/s", QRect(240, 3090, 3330, 405));
  AddButton(6, frame1_, "Rename Table", QRect(240, 3600, 3330, 400));
}

void Form2::BuildFrame2() {
  frame2_ = new QGroupBox("Sybase iAnywhere Tables", this);
  frame2_->setObjectName("Frame2");
  accessories::SetWhiteBackground(frame2_);
  Place(frame2_, QRect(4080, 120, 3840, 4215));
  list2_widget_ = new QListWidget(frame2_);
  list2_widget_->setObjectName("List2");
  Place(list2_widget_, QRect(240, 360, 3330, 1635));
  list2_ = std::make_unique<SortedTableList>(list2_widget_);
  AddButton(8, frame2_, "Select All", QRect(240, 2100, 1600, 405));
  AddButton(9, frame2_, "Deselect All", QRect(1960, 2100, 1600, 405));
  AddButton(4, frame2_, "Send Table/s To FoxPro", QRect(240, 2600, 3330, 405));
  AddButton(5, frame2_, "Delete Table/s", QRect(240, 3100, 3330, 405));
  AddButton(7, frame2_, "Rename Table", QRect(240, 3600, 3330, 405));
}

void Form2::BuildControls() {
  BuildFrame1();
  BuildFrame2();
  progress_bar_ = new QProgressBar(this);
  progress_bar_->setObjectName("ProgressBar1");
  progress_bar_->setRange(0, 100);
  progress_bar_->setValue(0);
  progress_bar_->setFormat("Progress Bar");
  progress_bar_->setTextVisible(true);
  progress_bar_->setAlignment(Qt::AlignCenter);
  Place(progress_bar_, QRect(120, 4485, 7800, 405));
  AddButton(2, this, "< Back", QRect(120, kBackTop, 3840, kBackHeight));
  AddButton(12, this, "Help", QRect(4080, kBackTop, 3840, kBackHeight));
}

void Form2::SetTabOrder() {
  // Design tab indexes: List2 0, List1 1, the frames 2 and 3 (no focus),
  // PushButton10, 11, 3, 1, 6, 2, 8, 9, 4, 5, 7, the progress bar (no
  // focus), PushButton12.
  const std::vector<QWidget*> order = {list2_widget_, list1_widget_, buttons_[10], buttons_[11],
                                       buttons_[3],   buttons_[1],   buttons_[6],  buttons_[2],
                                       buttons_[8],   buttons_[9],   buttons_[4],  buttons_[5],
                                       buttons_[7],   buttons_[12]};
  for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
  progress_bar_->setFocusPolicy(Qt::NoFocus);
}

void Form2::ConnectHandlers() {
  using Handler = void (Form2::*)();
  const Handler handlers[13] = {nullptr,
                                &Form2::PushButton1_Click,
                                &Form2::PushButton2_Click,
                                &Form2::PushButton3_Click,
                                &Form2::PushButton4_Click,
                                &Form2::PushButton5_Click,
                                &Form2::PushButton6_Click,
                                &Form2::PushButton7_Click,
                                &Form2::PushButton8_Click,
                                &Form2::PushButton9_Click,
                                &Form2::PushButton10_Click,
                                &Form2::PushButton11_Click,
                                &Form2::PushButton12_Click};
  // Each handler traps its own failures.
  for (int number = 1; number <= 12; ++number) {
    connect(buttons_[number], &QPushButton::clicked, this, handlers[number]);
  }
}

void Form2::LoadTableWindow() { Form_Load(); }

void Form2::ShowTableWindow() {
  if (!loaded_) Form_Load();
  show();
}

void Form2::Form_Load() {
  // The load reads both databases; "Next >" may already hold the guard.
  ui::OperationGuard guard;
  loaded_ = true;
  app::Trap trap(ui_, this, kWindowName, "Form_Load");
  trap.Step(100, [&] { accessories::ApplyFormColors(this); });
  trap.Step(102, [&] {
    setWindowIcon(connection_window_ != nullptr ? connection_window_->windowIcon()
                                                : QApplication::windowIcon());
  });
  LoadHandPointer(trap);
  trap.Step(110, [&] { setWindowTitle(app::kProductName); });
  ReadCatalogs(trap);
  trap.Step(122, [&] { SetLoadedHeight(); });
}

void Form2::LoadHandPointer(app::Trap& trap) {
  if (trap.Test(106, [&] {
        return accessories::FileExists(accessories::HandCursorPath(program_folder_));
      })) {
    trap.Step(108, [&] {
      accessories::LoadHandCursor(this, accessories::HandCursorPath(program_folder_));
    });
  }
}

void Form2::ReadCatalogs(app::Trap& trap) {
  // Lines 112 to 116 chose the FoxPro connection string by the option; the
  // catalog's own open chooses it now, from the same one value of the fields.
  const db::ConnectionFields fields = fields_();
  const db::Yield yield = [this] { ui_.DoEvents(); };
  trap.Step(118, [&] { db::ListFoxproTables(*list1_, fields, yield); });
  trap.Step(120, [&] { db::ListSybaseTables(*list2_, fields, yield); });
}

void Form2::SetLoadedHeight() {
  // The top of "< Back" plus its height plus 580 twips, as the window's own
  // area: the same on every load, whether or not the window manager has
  // framed the window yet (a height that took the frame off would shrink
  // the window by its title bar on each later load).
  resize(width(), Px(kBackTop + kBackHeight + kBottomMargin));
}

void SetEverySelection(app::Trap& trap, db::TableList& list, bool selected) {
  int count = 0;
  trap.Test(100, [&] {
    count = list.ListCount();
    return true;
  });
  for (int i = 0; i < count; ++i) {
    trap.Step(102, [&] { list.SetSelected(i, selected); });
  }  // 104
}

void Form2::SelectAll(SortedTableList& list, const char* handler, bool selected) {
  app::Trap trap(ui_, this, kWindowName, handler);
  // Flags set entry by entry reach the widget as one selection change, so
  // tens of thousands of entries stay instant.
  SortedTableList::SelectionBatch batch(list);
  SetEverySelection(trap, list, selected);
}

void Form2::PushButton10_Click() { SelectAll(*list1_, "PushButton10_Click", true); }
void Form2::PushButton11_Click() { SelectAll(*list1_, "PushButton11_Click", false); }
void Form2::PushButton8_Click() { SelectAll(*list2_, "PushButton8_Click", true); }
void Form2::PushButton9_Click() { SelectAll(*list2_, "PushButton9_Click", false); }

void Form2::PushButton2_Click() {
  app::Trap trap(ui_, this, kWindowName, "PushButton2_Click");
  trap.Step(100, [&] {
    if (connection_window_ == nullptr) throw std::runtime_error("Object variable not set");
    connection_window_->show();
  });
  trap.Step(102, [&] { hide(); });
}

void Form2::PushButton12_Click() {
  app::Trap trap(ui_, this, kWindowName, "PushButton12_Click");
  trap.Step(100, [&] {
    ShowInfo(std::string("Questions? Please contact Team Tolvane at ") + kContactPage);
  });
}

void Form2::ShowInfo(const std::string& text) {
  ui_.MessageBox(this, text, ui::kOkOnly, app::ApplicationTitle());
}

void Form2::closeEvent(QCloseEvent* event) {
  event->accept();
  if (end_program_) end_program_();
}

}  // namespace windows
