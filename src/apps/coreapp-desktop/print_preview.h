// PrintPreview: a printed document (the HTML the print service wrote) in a window,
// with printing on the system's printers and saving as PDF.
#pragma once

#include <QDialog>

class QTextBrowser;
class QTextDocument;

namespace desktop {

class PrintPreview : public QDialog {
 public:
  //! Shows `htmlFile` under `title`; a file that cannot be read shows its name.
  PrintPreview(const QString& htmlFile, const QString& title, QWidget* parent = nullptr);

  //! Writes the document as PDF; false when the file cannot be written.
  bool savePdf(const QString& pdfFile) const;
  QTextDocument* document() const;
  //! True once the document went to a printer from this window.
  bool printed() const { return printed_; }

 private:
  void print();
  void askPdf();

  QTextBrowser* view_;
  bool printed_ = false;
};

}  // namespace desktop
