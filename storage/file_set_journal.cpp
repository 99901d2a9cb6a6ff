#include "storage/file_set_journal.h"

namespace vorlam {
namespace {

using State = FileSetCommit::State;
using Entry = FileSetCommit::Entry;
using Journal = FileSetCommit::Journal;

constexpr const char* kHeader = "vorlam-file-set 1";

std::string escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

bool unescape(const std::string& s, std::string* out) {
  out->clear();
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\') {
      *out += s[i];
      continue;
    }
    if (++i == s.size()) return false;
    if (s[i] == '\\') *out += '\\';
    else if (s[i] == 'n') *out += '\n';
    else if (s[i] == 'r') *out += '\r';
    else return false;
  }
  return true;
}

std::string journalTextOf(const Journal& j) {
  std::string text = std::string(kHeader) + "\n";
  text += std::string("state ") + FileSetCommit::stateName(j.state) + "\n";
  text += "label " + escape(j.label) + "\n";
  for (const Entry& e : j.entries) text += std::string("target ") + (e.existed ? "1 " : "0 ") + escape(e.target) + "\n";
  text += "end\n";
  return text;
}

Status corruptJournal(const std::string& where, const std::string& why) {
  return Status(StatusCode::kCorrupt, "Diário do ajuste danificado: " + why, where);
}

bool parseState(const std::string& name, State* state) {
  for (State s : {State::kStaged, State::kCommitting, State::kCommitted, State::kFinished, State::kRestored,
                  State::kRestoring}) {
    if (name == FileSetCommit::stateName(s)) {
      *state = s;
      return true;
    }
  }
  return false;
}

}  // namespace

std::string fileSetJournalText(const Journal& journal) { return journalTextOf(journal); }

Result<Journal> parseFileSetJournal(const std::string& text, const std::string& workDir) {
  Journal j;
  bool ended = false, stated = false;
  size_t pos = 0, lineNo = 0;
  const std::string& t = text;
  while (pos < t.size()) {
    size_t nl = t.find('\n', pos);
    if (nl == std::string::npos) return corruptJournal(workDir, "última linha incompleta");
    std::string line = t.substr(pos, nl - pos);
    pos = nl + 1;
    if (ended) return corruptJournal(workDir, "texto após o fim");
    if (lineNo++ == 0) {
      if (line != kHeader) return corruptJournal(workDir, "cabeçalho desconhecido");
    } else if (line.rfind("state ", 0) == 0) {
      if (!parseState(line.substr(6), &j.state)) return corruptJournal(workDir, "estado desconhecido");
      stated = true;
    } else if (line.rfind("label ", 0) == 0) {
      if (!unescape(line.substr(6), &j.label)) return corruptJournal(workDir, "rótulo");
    } else if (line.rfind("target ", 0) == 0 && line.size() > 9 && (line[7] == '0' || line[7] == '1') &&
               line[8] == ' ') {
      Entry e;
      e.existed = line[7] == '1';
      if (!unescape(line.substr(9), &e.target) || e.target.empty()) return corruptJournal(workDir, "arquivo");
      j.entries.push_back(e);
    } else if (line == "end") {
      ended = true;
    } else {
      return corruptJournal(workDir, "linha desconhecida");
    }
  }
  if (!ended || !stated) return corruptJournal(workDir, "incompleto");
  return j;
}

}  // namespace vorlam
