// PrintPreview: QTextBrowser over the document; QPrinter for paper and PDF.
#include "apps/coreapp-desktop/print_preview.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace desktop {

PrintPreview::PrintPreview(const QString& htmlFile, const QString& title, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(title);
  resize(820, 640);
  auto* layout = new QVBoxLayout(this);
  view_ = new QTextBrowser(this);
  QFile file(htmlFile);
  if (file.open(QIODevice::ReadOnly))
    view_->setHtml(QString::fromUtf8(file.readAll()));
  else
    view_->setPlainText("无法读取打印文件：" + htmlFile);
  layout->addWidget(view_, 1);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* print = buttons->addButton("打印…", QDialogButtonBox::ActionRole);
  QPushButton* pdf = buttons->addButton("另存为PDF…", QDialogButtonBox::ActionRole);
  QPushButton* close = buttons->addButton("关闭", QDialogButtonBox::RejectRole);
  connect(print, &QPushButton::clicked, this, [this] { this->print(); });
  connect(pdf, &QPushButton::clicked, this, [this] { askPdf(); });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  layout->addWidget(buttons);
}

QTextDocument* PrintPreview::document() const { return view_->document(); }

bool PrintPreview::savePdf(const QString& pdfFile) const {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdfFile);
  view_->document()->print(&printer);
  return QFileInfo(pdfFile).size() > 0;
}

void PrintPreview::print() {
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  view_->document()->print(&printer);
  printed_ = true;
}

void PrintPreview::askPdf() {
  const QString file =
      QFileDialog::getSaveFileName(this, "另存为PDF", windowTitle() + ".pdf", "PDF (*.pdf)");
  if (file.isEmpty()) return;
  if (!savePdf(file)) QMessageBox::warning(this, "提示", "PDF文件写入失败：" + file);
}

}  // namespace desktop
