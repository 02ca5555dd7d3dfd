// The table window's database buttons: adapters that hand the window's
// fields, lists, progress bar and pointer to the plain handlers of the
// copies, deleting and renaming.
#include <QProgressBar>

#include "app/application_title.h"
#include "transfer/maintenance.h"
#include "transfer/transfer.h"
#include "windows/tables/form2.h"

namespace windows {
namespace {

// ProgressBar1 as the copies drive it.
class ProgressBarAdapter : public transfer::ProgressBar {
 public:
  explicit ProgressBarAdapter(QProgressBar* bar) : bar_(bar) {}

  void SetValue(double value) override {
    if (!(value >= 0)) value = 0;  // also catches NaN
    if (value > 100) value = 100;
    bar_->setValue(static_cast<int>(value + 0.5));
  }

  void SetText(const std::string& text) override {
    // The bar's format treats "%" as a placeholder; show the text as it is.
    bar_->setFormat(QString::fromStdString(text).replace("%", "%%"));
  }

 private:
  QProgressBar* bar_;
};

}  // namespace

void Form2::RunOnContext(void (*handler)(transfer::TableWindowContext&)) {
  ProgressBarAdapter bar(progress_bar_);
  transfer::UiWindowPointer pointer(ui_, this);
  transfer::TableWindowContext context{ui_,     this, fields_(), *list1_,
                                       *list2_, bar,  pointer,   app::ApplicationTitle()};
  handler(context);
}

void Form2::PushButton1_Click() { RunOnContext(&transfer::DeleteFoxproTables); }
void Form2::PushButton3_Click() { RunOnContext(&transfer::SendFoxproToSybase); }
void Form2::PushButton4_Click() { RunOnContext(&transfer::SendSybaseToFoxpro); }
void Form2::PushButton5_Click() { RunOnContext(&transfer::DeleteSybaseTables); }
void Form2::PushButton6_Click() { RunOnContext(&transfer::RenameFoxproTable); }
void Form2::PushButton7_Click() { RunOnContext(&transfer::RenameSybaseTable); }

}  // namespace windows
