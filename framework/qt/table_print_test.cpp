#include <gtest/gtest.h>

#include <QPrinter>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "framework/qt/qt_dialogs.h"
#include "framework/qt/test_harness.h"
#include "storage/test_util.h"

namespace vorlam::qt {
namespace {

// Pages of a PDF as its page objects count them.
int pdfPages(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string pdf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  int pages = 0;
  for (size_t at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1))
    if (pdf.compare(at, 12, "/Type /Pages") != 0) ++pages;
  return pages;
}

TEST(TablePrint, EveryRowReachesTheFileOverAsManyPagesAsItNeeds) {
  testing::application();
  vorlam::testing::TempDir tmp;
  int rowsAsked = 0;
  auto printRows = [&](int count) {
    return Dialogs::PrintRequest{
        .title = "Visualização da Tabela do Plano de Contas - Empresa",
        .headers = {"Código", "Descrição"},
        .rows = [&rowsAsked, count](const std::function<void(const std::vector<std::string>&)>& row) {
          ++rowsAsked;
          for (int i = 0; i < count; ++i) row({std::to_string(i), "Conta número " + std::to_string(i)});
          return Status::ok();
        }};
  };
  auto print = [&](int count, const std::string& name) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const std::string path = tmp.path() + "/" + name;
    printer.setOutputFileName(QString::fromStdString(path));
    EXPECT_TRUE(printTable(printRows(count), printer).isOk());
    return pdfPages(path);
  };
  const int one = print(5, "few.pdf");
  const int many = print(400, "many.pdf");
  EXPECT_EQ(one, 1);
  EXPECT_GT(many, 5);  // a landscape page holds a few dozen rows
  // Widths are measured first, then the rows drawn: two passes each.
  EXPECT_EQ(rowsAsked, 4);
}

TEST(TablePrint, AFailingRowSourceIsAnErrorNotAPrintout) {
  testing::application();
  vorlam::testing::TempDir tmp;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(tmp.path() + "/x.pdf"));
  Dialogs::PrintRequest request{.title = "t",
                                .headers = {"a"},
                                .rows = [](const std::function<void(const std::vector<std::string>&)>&) {
                                  return Status(StatusCode::kIoError, "disco");
                                }};
  Status s = printTable(request, printer);
  EXPECT_FALSE(s.isOk());
  EXPECT_EQ(s.message(), "disco");
}

}  // namespace
}  // namespace vorlam::qt
