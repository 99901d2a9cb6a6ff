// Printing a table handed over as rows of text (Dialogs::print).

#include <QFontMetrics>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>

#include "framework/qt/qt_dialogs.h"

namespace vorlam::qt {

namespace {

QString text(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// The widths of the columns: the widest header or cell of each, in pixels.
Result<std::vector<int>> columnWidths(const Dialogs::PrintRequest& request, const QFontMetrics& fm) {
  std::vector<int> widths;
  for (const std::string& h : request.headers) widths.push_back(fm.horizontalAdvance(text(h)));
  Status s = request.rows([&](const std::vector<std::string>& row) {
    for (size_t c = 0; c < row.size() && c < widths.size(); ++c)
      widths[c] = std::max(widths[c], fm.horizontalAdvance(text(row[c])));
  });
  if (!s) return s;
  return widths;
}

class TablePainter {
 public:
  TablePainter(QPrinter& printer, const Dialogs::PrintRequest& request, std::vector<int> widths)
      : printer_(printer), request_(request), widths_(std::move(widths)) {}

  Status paint() {
    if (!painter_.begin(&printer_)) return Status(StatusCode::kIoError, "a impressora não pôde ser aberta");
    const QFontMetrics fm = painter_.fontMetrics();
    line_ = fm.height() + 2;
    page_ = painter_.viewport().adjusted(0, 0, 0, 0);
    gap_ = fm.horizontalAdvance(QStringLiteral("  "));
    heading();
    Status s = request_.rows([this](const std::vector<std::string>& row) { printRow(row, false); });
    painter_.end();
    return s;
  }

 private:
  void heading() {
    y_ = 0;
    ++pageNumber_;
    QFont bold = painter_.font();
    bold.setBold(true);
    painter_.save();
    painter_.setFont(bold);
    painter_.drawText(QRect(0, y_, page_.width(), line_), Qt::AlignLeft, text(request_.title));
    painter_.drawText(QRect(0, y_, page_.width(), line_), Qt::AlignRight,
                      QStringLiteral("Página %1").arg(pageNumber_));
    y_ += line_ * 2;
    printRow(request_.headers, true);
    painter_.restore();
    painter_.drawLine(0, y_, page_.width(), y_);
    y_ += 2;
  }

  void printRow(const std::vector<std::string>& row, bool header) {
    if (!header && y_ + line_ > page_.height()) {
      printer_.newPage();
      heading();
    }
    int x = 0;
    for (size_t c = 0; c < row.size() && c < widths_.size(); ++c) {
      painter_.drawText(QRect(x, y_, widths_[c] + gap_, line_), Qt::AlignLeft | Qt::AlignVCenter, text(row[c]));
      x += widths_[c] + gap_;
    }
    y_ += line_;
  }

  QPrinter& printer_;
  const Dialogs::PrintRequest& request_;
  std::vector<int> widths_;
  QPainter painter_;
  QRect page_;
  int line_ = 0;
  int gap_ = 0;
  int y_ = 0;
  int pageNumber_ = 0;
};

}  // namespace

Status printTable(const Dialogs::PrintRequest& request, QPrinter& printer) {
  printer.setPageOrientation(QPageLayout::Landscape);
  // The widths are measured in the printer's own resolution.
  const QFontMetrics fm(QFont(), &printer);
  Result<std::vector<int>> widths = columnWidths(request, fm);
  if (!widths.isOk()) return widths.status();
  TablePainter painter(printer, request, std::move(widths).value());
  return painter.paint();
}

Result<bool> QtDialogs::print(const PrintRequest& request) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  printer.setDocName(text(request.title));
  QPrintDialog dialog(&printer, parent_);
  dialog.setWindowTitle(QStringLiteral("Imprimir"));
  if (dialog.exec() != QDialog::Accepted) return false;
  if (Status s = printTable(request, printer); !s) return s;
  return true;
}

}  // namespace vorlam::qt
