// The table window's two send buttons: adapters that hand the window's
// lists, progress bar and pointer to the copy procedures.
#include <QProgressBar>

#include "app/application_title.h"
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

void Form2::SendTables(bool foxpro_to_sybase) {
  ProgressBarAdapter bar(progress_bar_);
  transfer::UiWindowPointer pointer(ui_, this);
  transfer::TransferContext context{ui_,     this, fields_, *list1_,
                                    *list2_, bar,  pointer, app::ApplicationTitle()};
  if (foxpro_to_sybase) {
    transfer::SendFoxproToSybase(context);
  } else {
    transfer::SendSybaseToFoxpro(context);
  }
}

void Form2::PushButton3_Click() { SendTables(true); }
void Form2::PushButton4_Click() { SendTables(false); }

}  // namespace windows
