#include "storage/postgres/pg_connection.h"

#include <poll.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vorlam::pg {

namespace {

bool contains(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

std::string firstLine(std::string s) {
  size_t nl = s.find('\n');
  if (nl != std::string::npos) s.resize(nl);
  return s;
}

std::string field(const PGresult* r, int code) {
  const char* v = r ? PQresultErrorField(r, code) : nullptr;
  return v ? v : "";
}

// Notices ("relation already exists, skipping") are no business of the
// user: the outcome of every statement is its status.
void quiet(void*, const char*) {}

}  // namespace

bool Rows::integer(int row, int col, int64_t* out) const {
  if (!r_ || row >= PQntuples(r_) || col >= PQnfields(r_) || PQgetisnull(r_, row, col)) return false;
  const char* p = PQgetvalue(r_, row, col);
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(p, &end, 10);
  if (end == p || *end != '\0' || errno != 0) return false;
  *out = v;
  return true;
}

int64_t Rows::affected() const {
  const char* n = r_ ? PQcmdTuples(r_) : "";
  return *n ? std::strtoll(n, nullptr, 10) : 0;
}

std::vector<const char*> Params::pointers() const {
  std::vector<const char*> out;
  out.reserve(values_.size());
  for (const auto& v : values_) out.push_back(v.c_str());
  return out;
}

Connection::~Connection() { close(); }

void Connection::close() {
  // The server lets go of a closed session's locks only once it has seen
  // the connection end, a moment later; letting go here first means that
  // a file closed is free for others the instant close() returns.
  if (conn_ && PQstatus(conn_) == CONNECTION_OK && PQtransactionStatus(conn_) == PQTRANS_IDLE)
    PQclear(PQexec(conn_, "SELECT pg_advisory_unlock_all()"));
  if (conn_) PQfinish(conn_);
  conn_ = nullptr;
  prepared_.clear();
  pending_.clear();
  deferred_ = Status::ok();
}

std::string Connection::describe() const {
  if (!conn_) return "";
  std::string host = PQhost(conn_) ? PQhost(conn_) : "";
  if (host.empty() || host[0] == '/') host = "localhost";
  std::string port = PQport(conn_) ? PQport(conn_) : "";
  std::string db = PQdb(conn_) ? PQdb(conn_) : "";
  return host + (port.empty() ? "" : ":" + port) + "/" + db;
}

Status Connection::connect(const std::string& uri, int busyMs) {
  close();
  char* parseError = nullptr;
  PQconninfoOption* options = PQconninfoParse(uri.c_str(), &parseError);
  if (!options) {
    std::string why = parseError ? firstLine(parseError) : "";
    PQfreemem(parseError);
    return Status(StatusCode::kInvalidArgument, "Endereço do servidor PostgreSQL inválido", why);
  }
  PQconninfoFree(options);
  conn_ = PQconnectdb(uri.c_str());
  if (!conn_) return Status(StatusCode::kIoError, "Sem memória para conectar ao servidor PostgreSQL");
  if (PQstatus(conn_) != CONNECTION_OK) {
    const std::string err = PQerrorMessage(conn_);
    const std::string where = describe();
    const std::string user = PQuser(conn_) ? PQuser(conn_) : "";
    const std::string db = PQdb(conn_) ? PQdb(conn_) : "";
    Status s;
    if (contains(err, "password authentication failed") || contains(err, "no password supplied") ||
        PQconnectionNeedsPassword(conn_))
      s = Status(StatusCode::kAccessDenied, "Senha recusada pelo servidor PostgreSQL para o usuário " + user, where);
    else if (contains(err, "database \"") && contains(err, "does not exist"))
      s = Status(StatusCode::kFileNotFound, "O banco de dados " + db + " não existe no servidor PostgreSQL", where);
    else if (contains(err, "role \"") && contains(err, "does not exist"))
      s = Status(StatusCode::kAccessDenied, "O usuário " + user + " não existe no servidor PostgreSQL", where);
    else
      s = Status(StatusCode::kIoError, "Servidor PostgreSQL inacessível: " + where, firstLine(err));
    close();
    return s;
  }
  PQsetNoticeProcessor(conn_, quiet, nullptr);
  const char* encoding = PQparameterStatus(conn_, "server_encoding");
  if (!encoding || std::strcmp(encoding, "UTF8") != 0) {
    Status s(StatusCode::kInvalidArgument,
             "O banco de dados do servidor PostgreSQL precisa usar a codificação UTF8", describe());
    close();
    return s;
  }
  if (PQsetClientEncoding(conn_, "UTF8") != 0) {
    Status s(StatusCode::kIoError, "Servidor PostgreSQL recusou a codificação UTF8", describe());
    close();
    return s;
  }
  return setLockTimeout(busyMs);
}

Status Connection::setLockTimeout(int ms) {
  if (!conn_) return Status::ok();
  return exec("SET lock_timeout = " + std::to_string(ms < 1 ? 1 : ms), "limite de espera");
}

bool Connection::inTransaction() const {
  if (!conn_) return false;
  PGTransactionStatusType t = PQtransactionStatus(conn_);
  return t == PQTRANS_INTRANS || t == PQTRANS_INERROR || t == PQTRANS_ACTIVE;
}

Status Connection::failed(PGresult* r, const char* what) {
  const std::string state = field(r, PG_DIAG_SQLSTATE);
  state_ = state;
  std::string message = field(r, PG_DIAG_MESSAGE_PRIMARY);
  if (message.empty()) message = firstLine(conn_ ? PQerrorMessage(conn_) : "");
  const std::string detail = std::string(what) + ": " + message;
  constraint_.clear();
  if (!conn_ || PQstatus(conn_) != CONNECTION_OK || state.rfind("08", 0) == 0 || state.rfind("57P", 0) == 0) {
    failure_ = Failure::kConnectionLost;
    return Status(StatusCode::kIoError, "Conexão com o servidor PostgreSQL perdida: " + describe(), detail);
  }
  if (state == "23505") {
    failure_ = Failure::kUniqueViolation;
    constraint_ = field(r, PG_DIAG_CONSTRAINT_NAME);
    return makeStatus(StatusCode::kDuplicateKey, detail);
  }
  if (state == "55P03" || state == "40P01" || state == "40001" || state == "57014") {
    failure_ = Failure::kLockTimeout;
    return makeStatus(StatusCode::kBusy, detail);
  }
  failure_ = Failure::kOther;
  if (state == "42501") return makeStatus(StatusCode::kAccessDenied, detail);
  if (state.rfind("22", 0) == 0) return Status(StatusCode::kInvalidArgument, "Valor recusado pelo servidor", detail);
  return Status(StatusCode::kIoError, "Erro do servidor PostgreSQL", detail);
}

const std::string& Connection::statementName(const std::string& sql, int params, bool deferred, Status* s) {
  static const std::string kNone;
  // Each statement is prepared once per session: the server plans the
  // walks and writes of a table once, not at every record.
  auto it = prepared_.find(sql);
  if (it != prepared_.end()) return it->second;
  std::string name = "s" + std::to_string(prepared_.size());
  if (deferred) {
    if (PQsendPrepare(conn_, name.c_str(), sql.c_str(), params, nullptr) != 1) {
      *s = lost("preparar comando");
      return kNone;
    }
    pending_.push_back({sql, -1, "preparar comando"});
  } else {
    Rows prep(PQprepare(conn_, name.c_str(), sql.c_str(), params, nullptr));
    if (PQresultStatus(prep.raw()) != PGRES_COMMAND_OK) {
      *s = failed(prep.raw(), "preparar comando");
      return kNone;
    }
  }
  return prepared_.emplace(sql, std::move(name)).first->second;
}

Status Connection::startStatement(const std::string& sql, int params, const char* what, const std::string** name) {
  if (Status s = wait(); !s) return s;
  failure_ = Failure::kNone;
  state_.clear();
  if (!conn_) return makeStatus(StatusCode::kNotOpen, what);
  Status prepared;
  *name = &statementName(sql, params, false, &prepared);
  if (!prepared) return Status(prepared.code(), prepared.message(), std::string(what) + ": " + prepared.detail());
  return Status::ok();
}

Result<Rows> Connection::run(const std::string& sql, const Params& params, const char* what) {
  const std::string* name = nullptr;
  if (Status s = startStatement(sql, params.size(), what, &name); !s) return s;
  std::vector<const char*> values = params.pointers();
  PGresult* r = PQexecPrepared(conn_, name->c_str(), params.size(), values.data(), nullptr, nullptr, 0);
  ExecStatusType st = PQresultStatus(r);
  if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) {
    Status s = failed(r, what);
    PQclear(r);
    return s;
  }
  return Rows(r);
}

Result<Rows> Connection::runGuarded(const std::string& sql, const Params& params, const char* what) {
  const std::string* name = nullptr;
  if (Status s = startStatement(sql, params.size(), what, &name); !s) return s;
  std::vector<const char*> values = params.pointers();
  const char* kSteps[] = {"SAVEPOINT vorlam_write", nullptr, "RELEASE SAVEPOINT vorlam_write"};
  if (PQenterPipelineMode(conn_) != 1) return lost(what);
  bool sent = true;
  for (const char* step : kSteps)
    sent = sent && (step ? PQsendQueryParams(conn_, step, 0, nullptr, nullptr, nullptr, nullptr, 0)
                         : PQsendQueryPrepared(conn_, name->c_str(), params.size(), values.data(), nullptr, nullptr, 0)) == 1;
  sent = sent && PQpipelineSync(conn_) == 1;
  // The answers of the three statements, each ended by a null, then the
  // synchronisation point's.
  Rows answers[3];
  for (int i = 0; sent && i < 3 && PQstatus(conn_) == CONNECTION_OK; ++i)
    while (PGresult* r = PQgetResult(conn_)) answers[i] = Rows(r);
  if (sent && PQstatus(conn_) == CONNECTION_OK) Rows sync(PQgetResult(conn_));
  if (PQexitPipelineMode(conn_) != 1 || !sent || PQstatus(conn_) != CONNECTION_OK) return lost(what);
  auto good = [](const Rows& r) {
    const ExecStatusType st = PQresultStatus(r.raw());
    return st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK;
  };
  if (!good(answers[0])) return failed(answers[0].raw(), what);
  if (good(answers[1]) && good(answers[2])) return std::move(answers[1]);
  Status s = good(answers[1]) ? failed(answers[2].raw(), what) : failed(answers[1].raw(), what);
  if (failure_ != Failure::kConnectionLost) {
    const Failure f = failure_;
    const std::string constraint = constraint_;
    (void)exec("ROLLBACK TO SAVEPOINT vorlam_write; RELEASE SAVEPOINT vorlam_write", what);
    failure_ = f;  // the statement's failure, not the undoing's
    constraint_ = constraint;
  }
  return s;
}

// --- deferred statements ------------------------------------------------------

namespace {
// At most this many statements wait for their answers: the answers queue
// up in the server's socket while none is read, and a server that cannot
// write them stops reading what is sent to it.
constexpr size_t kMaxPending = 64;
}  // namespace

Status Connection::lost(const char* what) {
  failure_ = Failure::kConnectionLost;
  return Status(StatusCode::kIoError, "Conexão com o servidor PostgreSQL perdida: " + describe(),
                std::string(what) + ": " + firstLine(conn_ ? PQerrorMessage(conn_) : ""));
}

Status Connection::send(const std::string& sql, const Params& params, int64_t expectRows, const char* what) {
  if (!deferred_) return deferred_;
  if (!conn_) return makeStatus(StatusCode::kNotOpen, what);
  if (PQpipelineStatus(conn_) == PQ_PIPELINE_OFF && PQenterPipelineMode(conn_) != 1) return deferred_ = lost(what);
  Status s;
  const std::string& name = statementName(sql, params.size(), true, &s);
  if (!s) return deferred_ = s;
  std::vector<const char*> values = params.pointers();
  if (PQsendQueryPrepared(conn_, name.c_str(), params.size(), values.data(), nullptr, nullptr, 0) != 1)
    return deferred_ = lost(what);
  pending_.push_back({std::string(), expectRows, what});
  if (pending_.size() >= kMaxPending) return collect();
  // On its way now, so that the server works on it while the next one is
  // gathered.
  if (PQflush(conn_) != 0) return deferred_ = lost(what);
  return Status::ok();
}

void Connection::take(const Pending& p, PGresult* r) {
  const ExecStatusType st = PQresultStatus(r);
  if (st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK) {
    if (p.expectRows < 0 || !deferred_) return;
    const char* n = PQcmdTuples(r);
    const int64_t rows = *n ? std::strtoll(n, nullptr, 10) : 0;
    if (rows == p.expectRows) return;
    // A record changed or removed since it was read: the run cannot keep
    // what it wrote believing otherwise.
    failure_ = Failure::kOther;
    deferred_ = Status(StatusCode::kChangedByOther, defaultMessage(StatusCode::kChangedByOther),
                       std::string(p.what) + ": " + std::to_string(rows) + " de " + std::to_string(p.expectRows) +
                           " registros gravados");
    return;
  }
  if (!p.sql.empty()) prepared_.erase(p.sql);  // never prepared: prepare it again when next used
  if (st == PGRES_PIPELINE_ABORTED) {
    // Skipped after an earlier refusal, which is the failure to report.
    if (deferred_) deferred_ = Status(StatusCode::kIoError, "Erro do servidor PostgreSQL", p.what);
    return;
  }
  if (deferred_) deferred_ = failed(r, p.what);
}

Status Connection::collect() {
  if (!conn_) return deferred_;
  if (PQpipelineStatus(conn_) == PQ_PIPELINE_OFF) return deferred_;
  if (!pending_.empty()) {
    if (PQpipelineSync(conn_) != 1) {
      if (deferred_) deferred_ = lost("gravação");
      pending_.clear();
      return deferred_;
    }
    bool dead = false;
    for (const Pending& p : pending_) {
      // The answers of one statement, up to the null that ends them.
      while (PGresult* r = PQgetResult(conn_)) {
        take(p, r);
        PQclear(r);
      }
      if (PQstatus(conn_) != CONNECTION_OK) {
        dead = true;
        break;
      }
    }
    if (!dead) {
      // The answer of the synchronisation point ends the run of answers.
      PGresult* r = PQgetResult(conn_);
      dead = PQresultStatus(r) != PGRES_PIPELINE_SYNC;
      PQclear(r);
    }
    if (dead && deferred_)
      deferred_ = PQstatus(conn_) != CONNECTION_OK
                      ? lost(pending_.back().what)
                      : Status(StatusCode::kIoError, "Erro do servidor PostgreSQL", "sincronização sem resposta");
    pending_.clear();
  }
  if (PQexitPipelineMode(conn_) != 1 && deferred_) deferred_ = lost("gravação");
  return deferred_;
}

Status Connection::wait() {
  if (!conn_) return deferred_;
  if (beforeWait_ && !waiting_) {
    // What the caller still gathers goes first; a failure there is one of
    // the deferred statements too.
    waiting_ = true;
    Status s = beforeWait_();
    waiting_ = false;
    if (!s && deferred_) deferred_ = s;
  }
  return collect();
}

void Connection::discardDeferred() {
  (void)collect();
  deferred_ = Status::ok();
}

Status Connection::exec(const std::string& sql, const char* what) {
  if (Status st = wait(); !st) return st;
  failure_ = Failure::kNone;
  state_.clear();
  if (!conn_) return makeStatus(StatusCode::kNotOpen, what);
  if (tick_) return execWatched(sql, what);
  Rows r(PQexec(conn_, sql.c_str()));
  ExecStatusType st = PQresultStatus(r.raw());
  if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) return failed(r.raw(), what);
  return Status::ok();
}

Status Connection::execWatched(const std::string& sql, const char* what) {
  if (!PQsendQuery(conn_, sql.c_str())) return failed(nullptr, what);
  // The statement runs on the server; this side wakes every tenth of a
  // second to report and, when asked to, to cancel it there.
  bool cancelled = false;
  while (PQisBusy(conn_)) {
    pollfd waiting{PQsocket(conn_), POLLIN, 0};
    (void)::poll(&waiting, 1, 100);
    if (!PQconsumeInput(conn_)) break;
    if (cancelled || !tick_()) continue;
    cancelled = true;
    if (PGcancel* cancel = PQgetCancel(conn_)) {
      char error[256];
      (void)PQcancel(cancel, error, sizeof error);
      PQfreeCancel(cancel);
    }
  }
  Status s;
  while (PGresult* r = PQgetResult(conn_)) {
    Rows rows(r);
    ExecStatusType st = PQresultStatus(r);
    if (s && st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) s = failed(r, what);
  }
  if (s && PQstatus(conn_) != CONNECTION_OK) s = failed(nullptr, what);
  return s;
}

Status Connection::commit(const char* what) {
  if (Status st = wait(); !st) return st;
  failure_ = Failure::kNone;
  state_.clear();
  if (!conn_) return makeStatus(StatusCode::kNotOpen, what);
  Rows r(PQexec(conn_, "COMMIT"));
  if (PQresultStatus(r.raw()) != PGRES_COMMAND_OK) return failed(r.raw(), what);
  if (r.command() != "COMMIT") {
    failure_ = Failure::kOther;
    return Status(StatusCode::kIoError, "Gravação desfeita: uma falha anterior anulou a transação", what);
  }
  return Status::ok();
}

namespace {
// `text` between `quote`s, each `quote` inside doubled.
std::string quoted(const std::string& text, char quote) {
  std::string q(1, quote);
  for (char c : text) {
    if (c == quote) q += quote;
    q += c;
  }
  return q + quote;
}
}  // namespace

std::string quoteIdent(const std::string& name) { return quoted(name, '"'); }
std::string quoteText(const std::string& text) { return quoted(text, '\''); }

}  // namespace vorlam::pg
