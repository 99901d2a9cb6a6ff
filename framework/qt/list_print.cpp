#include "framework/qt/list_print.h"

#include <QDate>
#include <QPainter>
#include <QPrinter>
#include <optional>

#include "framework/qt/list_delegate.h"

namespace vorlam::qt {

namespace {

// Column geometry on the page: list units are a quarter of the average
// character width, scaled down when the columns are wider than the page.
struct PageColumns {
  std::vector<int> widths;  // 0 for hidden columns
  int gap = 0;
};

PageColumns layoutColumns(const std::vector<ListColumn>& columns, int unit, int pageWidth) {
  PageColumns out;
  out.gap = unit;
  int total = 0;
  for (const ListColumn& c : columns) total += c.hidden() ? 0 : c.width * unit / 4 + unit;
  const double scale = total > pageWidth ? double(pageWidth) / total : 1.0;
  int used = 0;
  for (const ListColumn& c : columns) {
    out.widths.push_back(c.hidden() ? 0 : int((c.width * unit / 4 + unit) * scale));
    used += out.widths.back();
  }
  // The last column shown takes what is left of the page, as on screen.
  for (auto it = out.widths.rbegin(); it != out.widths.rend(); ++it) {
    if (*it == 0) continue;
    *it += pageWidth - used;
    break;
  }
  return out;
}

}  // namespace

Status forEachRow(const PageCache& list, const std::function<bool(const Record&)>& visit) {
  PageCache walk(list);
  Status s = walk.first();
  std::optional<Record> last;
  while (s.isOk()) {
    for (const Record& r : walk.rows()) {
      if (last && walk.compareRows(r, *last) <= 0) continue;  // page filled up near the end
      if (!visit(r)) return Status();
      last = r;
    }
    if (walk.atEnd()) break;
    s = walk.nextPage();
  }
  return s.is(StatusCode::kNotFound) ? Status() : s;
}

Status printList(const RecordListModel& model, const PageCache& list, const QString& title, QPrinter& printer) {
  printer.setDocName(title);
  QPainter painter;
  if (!painter.begin(&printer)) return Status(StatusCode::kIoError, "Não foi possível iniciar a impressão");
  const QFont font("DejaVu Sans", 8);
  QFont bold = font;
  bold.setBold(true);
  painter.setFont(font);
  const QRect page = painter.viewport();
  const int line = painter.fontMetrics().height() + 4;
  const int unit = painter.fontMetrics().averageCharWidth();
  const auto& columns = model.columns();
  const PageColumns geometry = layoutColumns(columns, unit, page.width());
  // Lines as the list shows them, thick enough to be seen on paper.
  const QColor lineColour = listLineColour(nullptr);
  const int pen = qMax(1, printer.resolution() / 150);
  auto drawRow = [&](int y, const std::function<QString(int)>& text, bool header) {
    int x = 0;
    for (int i = 0; i < int(columns.size()); ++i) {
      const int w = geometry.widths[size_t(i)];
      if (w == 0) continue;
      const ListColumn& c = columns[size_t(i)];
      const Qt::Alignment align = qtAlignment(header ? c.headerAlign : c.align);
      // The gap between columns is split round the cell's text, so that a
      // border runs between two columns' texts.
      const QRect cell(x, y, w, line);
      const QRect area = cell.adjusted(geometry.gap / 4, 0, -geometry.gap / 4, 0);
      painter.drawText(indentedText(area, align, indentPixels(header ? c.headerIndent : c.indent, unit)), int(align),
                       text(i));
      // The header has its own rule under it.
      drawCellLines(painter, cell, c.rightBorder, !header && underlined(c), lineColour, pen);
      x += w;
    }
  };
  const QString today = QDate::currentDate().toString("dd/MM/yyyy");
  int y = 0;
  int pageNumber = 1;
  auto startPage = [&] {
    painter.setFont(bold);
    painter.drawText(QRect(0, 0, page.width(), line), Qt::AlignLeft | Qt::AlignVCenter, title);
    painter.drawText(QRect(0, 0, page.width(), line), Qt::AlignRight | Qt::AlignVCenter,
                     QString::fromUtf8("%1   Página %2").arg(today).arg(pageNumber));
    drawRow(line * 2, [&](int i) { return QString::fromUtf8(columns[size_t(i)].header.c_str()); }, true);
    painter.setFont(font);
    painter.drawLine(0, line * 3, page.width(), line * 3);
    y = line * 3 + 2;
  };
  startPage();
  bool pageFailed = false;
  Status s = forEachRow(list, [&](const Record& r) {
    if (y + line > page.height()) {
      if (!printer.newPage()) {
        pageFailed = true;
        return false;
      }
      ++pageNumber;
      startPage();
    }
    drawRow(y, [&](int i) { return model.cellText(r, i); }, false);
    y += line;
    return true;
  });
  painter.end();
  if (pageFailed) return Status(StatusCode::kIoError, "Falha ao começar uma nova página da impressão");
  return s;
}

Status printListToPdf(const RecordListModel& model, const PageCache& list, const QString& title,
                      const QString& path) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path);
  printer.setPageOrientation(QPageLayout::Landscape);
  return printList(model, list, title, printer);
}

}  // namespace vorlam::qt
