// Query by example: the typed values of four columns (one per line) become
// one filter expression, which must compile whenever it is not empty.
#include "framework/filter.h"
#include "framework/query_builder.h"
#include "tests/fuzz/fuzz_util.h"

using namespace vorlam;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto in = fuzz::parts(fuzz::bytes(data, size), 4);
  const char* fields[] = {"EMP:Codigo", "EMP:RazaoSocial", "EMP:Capital", "EMP:Data"};
  const char* pictures[] = {"@n6", "@s40", "@n-15.2", "@d6"};
  std::vector<QueryColumn> columns;
  for (size_t i = 0; i < in.size(); ++i) columns.push_back({fields[i], pictures[i], std::string(in[i])});
  QueryFilter q = buildQueryFilter(columns, fuzz::firmTable());
  if (!q.expression.empty()) fuzz::check(Filter::compile(q.expression, fuzz::firmTable()).isOk());
  return 0;
}
