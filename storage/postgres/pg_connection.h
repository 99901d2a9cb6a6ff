// One connection to a PostgreSQL server, through libpq.
//
// Each open Table below a server location owns one Connection.  One per
// table rather than a shared pool, because the server's session-level
// advisory locks are what carry a table's open lock and its record holds:
// two tables of one process must exclude each other as two workstations
// do, which only separate sessions give (a session re-enters its own
// locks).  A Table is used by one thread at a time, so is its Connection;
// nothing here is shared between objects or kept in globals.
//
// Every value goes to and from the server as text; record texts are
// Windows-1252 in the buffer and UTF-8 on the server (the database must be
// UTF-8, which connect() checks).  Errors come back as Status values: a
// server that cannot be reached, a refused password or a missing database
// each get a Portuguese message naming it.
#pragma once

#include <libpq-fe.h>

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "storage/status.h"

namespace vorlam::pg {

// A query result; frees itself.
class Rows {
 public:
  Rows() = default;
  explicit Rows(PGresult* r) : r_(r) {}
  ~Rows() { PQclear(r_); }
  Rows(Rows&& o) noexcept : r_(o.r_) { o.r_ = nullptr; }
  Rows& operator=(Rows&& o) noexcept {
    if (this != &o) {
      PQclear(r_);
      r_ = o.r_;
      o.r_ = nullptr;
    }
    return *this;
  }
  Rows(const Rows&) = delete;
  Rows& operator=(const Rows&) = delete;

  int size() const { return r_ ? PQntuples(r_) : 0; }
  bool isNull(int row, int col) const { return PQgetisnull(r_, row, col) != 0; }
  const char* text(int row, int col) const { return PQgetvalue(r_, row, col); }
  int length(int row, int col) const { return PQgetlength(r_, row, col); }
  // The value as an integer; false when it is not one.
  bool integer(int row, int col, int64_t* out) const;
  // Rows the statement changed (INSERT, UPDATE, DELETE).
  int64_t affected() const;
  std::string command() const { return r_ ? PQcmdStatus(r_) : ""; }
  PGresult* raw() const { return r_; }

 private:
  PGresult* r_ = nullptr;
};

// Parameters of a statement, all sent as text.
class Params {
 public:
  Params& add(int64_t v) {
    values_.push_back(std::to_string(v));
    return *this;
  }
  Params& add(std::string v) {
    values_.push_back(std::move(v));
    return *this;
  }
  int size() const { return static_cast<int>(values_.size()); }
  std::vector<const char*> pointers() const;

 private:
  std::vector<std::string> values_;
};

// The SQLSTATE class of a failure, for callers that branch on it.
enum class Failure { kNone, kUniqueViolation, kLockTimeout, kConnectionLost, kOther };

class Connection {
 public:
  Connection() = default;
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Connects with a libpq URI; checks that the database stores UTF-8 and
  // sets the session up (client encoding, lock wait limit `busyMs`).
  Status connect(const std::string& uri, int busyMs);
  bool connected() const { return conn_ != nullptr; }
  void close();

  // Runs `sql` with `params` ($1, $2, ...).  `what` says which operation, for
  // the message.  A failure's SQLSTATE goes to lastFailure().
  Result<Rows> run(const std::string& sql, const Params& params, const char* what);
  Result<Rows> run(const std::string& sql, const char* what) { return run(sql, Params(), what); }
  // Runs `sql` as run() does, under a savepoint of the open transaction:
  // SAVEPOINT, the statement and RELEASE go to the server together, one
  // round trip.  A refused statement is undone to the savepoint, so that
  // the transaction goes on as it was before it.
  Result<Rows> runGuarded(const std::string& sql, const Params& params, const char* what);
  // Runs statements without results (several may be separated by ';').
  Status exec(const std::string& sql, const char* what);
  // Commits the open transaction.  A transaction a failure had already
  // undone ends too, but as the failure it is, never as a success.
  Status commit(const char* what);
  Failure lastFailure() const { return failure_; }
  // The SQLSTATE of the last failure ("" after a success).
  const std::string& lastState() const { return state_; }
  // The constraint a unique violation broke ("" otherwise).
  const std::string& lastConstraint() const { return constraint_; }

  // While set, exec() runs its statements watched: `tick` is called about
  // every tenth of a second until the statement ends, and once it answers
  // true the server is asked to cancel the statement (which then fails).
  void setTick(std::function<bool()> tick) { tick_ = std::move(tick); }

  Status setLockTimeout(int ms);
  // --- Deferred statements ---------------------------------------------
  // send() queues a prepared statement on the server without waiting for
  // its answer (libpq's pipeline mode); `expectRows` >= 0 is the number of
  // rows it must change.  The answers are read by wait(), and before any
  // other statement of this connection (run, exec, commit), so that every
  // statement sees the ones sent before it.  The first refused statement
  // (an error, or another number of rows changed) fails that wait, and
  // every later send() or statement, until discardDeferred(): the caller
  // must undo the transaction, since statements sent after the refused one
  // were skipped or ran without it.
  Status send(const std::string& sql, const Params& params, int64_t expectRows, const char* what);
  // Waits for every statement sent; the first refusal, kept as said.
  Status wait();
  // Drops the refusal (and waits for what is still on the way), once the
  // caller has decided to undo the transaction.
  void discardDeferred();
  // Called before the connection waits for answers, to send what the
  // caller still keeps on its side (rows gathered into one statement).
  void setBeforeWait(std::function<Status()> hook) { beforeWait_ = std::move(hook); }
  // The refusal found so far (ok when none), without waiting.
  const Status& refusal() const { return deferred_; }

  // Where the connection goes, for messages: "host:port/database".
  std::string describe() const;
  // Whether a transaction (or a failed one) is open on the session.
  bool inTransaction() const;

 private:
  struct Pending {
    std::string sql;      // a statement being prepared, to forget it if refused
    int64_t expectRows;   // -1: any
    const char* what;
  };
  Status failed(PGresult* r, const char* what);
  Status lost(const char* what);
  Status collect();
  void take(const Pending& p, PGresult* r);
  const std::string& statementName(const std::string& sql, int params, bool deferred, Status* s);
  // What every statement run at once does first: the answers of the writes
  // sent before, the failure of the last statement forgotten, the statement
  // prepared (its name into `*name`).
  Status startStatement(const std::string& sql, int params, const char* what, const std::string** name);
  Status execWatched(const std::string& sql, const char* what);
  std::function<bool()> tick_;
  PGconn* conn_ = nullptr;
  std::vector<Pending> pending_;
  Status deferred_;  // the first refusal of a statement sent
  std::function<Status()> beforeWait_;
  bool waiting_ = false;
  Failure failure_ = Failure::kNone;
  std::string constraint_;
  std::string state_;
  std::unordered_map<std::string, std::string> prepared_;  // SQL -> statement name
};

// Quotes an identifier ("a""b").
std::string quoteIdent(const std::string& name);
// Quotes a text literal ('a''b').
std::string quoteText(const std::string& text);

}  // namespace vorlam::pg
